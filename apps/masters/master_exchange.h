// The decisions of one master exchange, apart from any socket: when to send the whole request
// again, which packets to ask for by number, and when to stop. The socket half feeds it what
// arrives and sends what it asks for; tests drive it with a clock of their own.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

#include "apps/masters/master_list.h"
#include "apps/masters/master_outcome.h"

using MasterClock = std::chrono::steady_clock;

struct MasterTiming {
    // One master's exchange ends after this long at the most, with what arrived.
    std::chrono::milliseconds timeout{5000};
    // While no packet has come, the whole request again after this long, up to this many times.
    std::chrono::milliseconds resendAfter{1000};
    int mostWholeRequests = 3;
    // The answer has stopped once no new packet came for three times the longest gap seen
    // between two packets of one answer, kept within these bounds: a master paces its packets.
    std::chrono::milliseconds quietAtLeast{200};
    std::chrono::milliseconds quietAtMost{1000};
    // Each packet still missing then is asked for by number, this many times at the most, in
    // rounds: every packet missing when a round starts, lowest first, once.
    int mostAsksPerPacket = 3;
    // Polite to a master, whatever it claims: each request at least 1/20 s after the one before
    // (20 a second at the most), and 60 in one exchange at the most. A master that claims more
    // packets than it sends is asked 60 times, not 763, and the exchange ends partial.
    int mostRequestsPerSecond = 20;
    int mostRequests = 60;
};

class MasterExchange {
public:
    MasterExchange(const MasterTiming& timing, std::uint16_t key, MasterClock::time_point start);

    // The requests due at now, as packet numbers (EveryMasterPacket: the whole list); each is
    // counted as sent. Empty when none is due or the exchange is over.
    std::vector<int> DueRequests(MasterClock::time_point now);
    // One datagram from the master, as it arrived at now.
    void Take(ByteSpan datagram, MasterClock::time_point now);
    // Over: the list is complete, nothing is left to ask, or the time is up.
    bool Over() const { return over_; }
    // When DueRequests has something to decide next; the socket half waits until then at most.
    MasterClock::time_point NextDecision() const;

    // Where the exchange stands: status, texts as UTF-8, servers, packets and requests.
    MasterOutcome Outcome() const;

private:
    std::chrono::milliseconds QuietAfter() const;
    MasterClock::duration Spacing() const;
    // Room for one more request at now: within the exchange's bound and its pace.
    bool MaySend(MasterClock::time_point now) const;
    // The packets of the next round of asks; over when none is left to ask.
    void StartRound();

    MasterTiming timing_;
    MasterList list_;
    MasterClock::time_point start_;
    MasterClock::time_point lastWholeRequest_{};
    MasterClock::time_point lastSend_{};
    MasterClock::time_point lastAdded_{};
    MasterClock::duration longestGap_{};
    bool inAnswer_ = false;  // the last event was a packet added, not a request sent
    int wholeRequests_ = 0;
    int asks_ = 0;
    std::vector<int> asksOfPacket_;  // by packet number - 1
    std::deque<int> round_;          // packets of the running round still to ask for
    int datagrams_ = 0;
    bool over_ = false;
};
