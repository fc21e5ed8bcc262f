#include "apps/masters/master_exchange.h"

#include <algorithm>

#include "apps/masters/master_entries.h"
#include "host/text/utf8_text.h"
#include "common/wire/ansi_text.h"

namespace {

std::string Utf8FromAnsi(const std::string& text) {
    return Utf8FromWide(AnsiToWide(text.data(), text.size()));
}

}  // namespace

MasterExchange::MasterExchange(const MasterTiming& timing, std::uint16_t key, MasterClock::time_point start)
    : timing_(timing), list_(key), start_(start) {}

std::chrono::milliseconds MasterExchange::QuietAfter() const {
    const auto threeGaps = std::chrono::ceil<std::chrono::milliseconds>(3 * longestGap_);
    return std::clamp(threeGaps, timing_.quietAtLeast, timing_.quietAtMost);
}

MasterClock::duration MasterExchange::Spacing() const {
    return std::chrono::duration_cast<MasterClock::duration>(std::chrono::seconds(1)) /
           std::max(1, timing_.mostRequestsPerSecond);
}

bool MasterExchange::MaySend(MasterClock::time_point now) const {
    const int sent = wholeRequests_ + asks_;
    return sent < timing_.mostRequests && (sent == 0 || now >= lastSend_ + Spacing());
}

void MasterExchange::StartRound() {
    if (asksOfPacket_.empty()) asksOfPacket_.assign(static_cast<std::size_t>(list_.Total()), 0);
    if (wholeRequests_ + asks_ < timing_.mostRequests) {
        for (int packet : list_.Missing()) {
            if (asksOfPacket_[static_cast<std::size_t>(packet - 1)] < timing_.mostAsksPerPacket)
                round_.push_back(packet);
        }
    }
    // Every missing packet was asked for as often as it may be, or the exchange's bound is spent.
    if (round_.empty()) over_ = true;
}

std::vector<int> MasterExchange::DueRequests(MasterClock::time_point now) {
    if (!over_ && (list_.Complete() || now >= start_ + timing_.timeout)) over_ = true;
    if (over_) return {};
    std::vector<int> due;
    if (list_.Received() == 0) {
        if ((wholeRequests_ == 0 || (wholeRequests_ < timing_.mostWholeRequests &&
                                     now >= lastWholeRequest_ + timing_.resendAfter)) &&
            MaySend(now)) {
            due.push_back(EveryMasterPacket);
            ++wholeRequests_;
            lastWholeRequest_ = now;
        }
    } else {
        if (round_.empty() && now >= std::max(lastAdded_, lastSend_) + QuietAfter()) StartRound();
        // One request at a time, at the pace: a packet that came meanwhile is not asked for.
        while (!round_.empty() && due.empty() && MaySend(now)) {
            const int packet = round_.front();
            round_.pop_front();
            if (list_.Holds(packet)) continue;
            ++asksOfPacket_[static_cast<std::size_t>(packet - 1)];
            ++asks_;
            due.push_back(packet);
        }
        if (wholeRequests_ + asks_ >= timing_.mostRequests) round_.clear();
    }
    if (!due.empty()) {
        lastSend_ = now;
        inAnswer_ = false;
    }
    return due;
}

void MasterExchange::Take(ByteSpan datagram, MasterClock::time_point now) {
    if (over_) return;
    ++datagrams_;
    if (list_.Take(datagram) != PacketTaken::Added) return;
    // Only gaps inside one answer say how the master paces; a gap that spans a request does not.
    if (inAnswer_) longestGap_ = std::max(longestGap_, now - lastAdded_);
    inAnswer_ = true;
    lastAdded_ = now;
    if (list_.Complete()) over_ = true;
}

MasterClock::time_point MasterExchange::NextDecision() const {
    const MasterClock::time_point deadline = start_ + timing_.timeout;
    if (over_) return start_;
    MasterClock::time_point next = deadline;
    if (!round_.empty()) {
        next = lastSend_ + Spacing();
    } else if (list_.Received() > 0) {
        next = std::max(lastAdded_, lastSend_) + QuietAfter();
    } else if (wholeRequests_ < timing_.mostWholeRequests) {
        next = lastWholeRequest_ + timing_.resendAfter;
    }
    return std::min(next, deadline);
}

MasterOutcome MasterExchange::Outcome() const {
    MasterOutcome outcome;
    if (list_.Complete()) {
        outcome.status = MasterStatus::Complete;
    } else if (list_.Received() > 0) {
        outcome.status = MasterStatus::Partial;
    } else {
        outcome.status = datagrams_ > 0 ? MasterStatus::BadReply : MasterStatus::NoAnswer;
    }
    outcome.name = Utf8FromAnsi(list_.Name());
    outcome.motd = Utf8FromAnsi(list_.Motd());
    ListedServers listed = SortOutEntries(list_.Entries());
    outcome.servers = std::move(listed.servers);
    outcome.entriesReceived = listed.entries;
    outcome.repeats = listed.repeats;
    outcome.leftOut = listed.leftOut;
    outcome.packetsReceived = list_.Received();
    outcome.packetsTotal = list_.Total();
    outcome.requestsSent = wholeRequests_ + asks_;
    if (!list_.Complete() && outcome.requestsSent >= timing_.mostRequests)
        outcome.detail =
            "stopped at " + std::to_string(timing_.mostRequests) + " requests, the most to one master";
    outcome.rejected = list_.Rejected();
    return outcome;
}
