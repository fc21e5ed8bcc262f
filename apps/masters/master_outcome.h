// What one master gave, or why it gave nothing, and the servers of several masters together.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "apps/masters/master_list.h"
#include "apps/shared/server_list.h"
#include "apps/shared/usable_address.h"

enum class MasterStatus {
    Complete,     // every packet of the list came
    Partial,      // some packets never came (or never came intact): the servers of the others
    NoAnswer,     // nothing came back
    BadReply,     // datagrams came back, none of them a usable packet
    Unresolved,   // the name does not resolve
    SocketError,  // the socket layer refused the exchange
};

// "complete", "partial", "no answer", "bad reply", "unresolved", "socket error".
const char* MasterStatusText(MasterStatus status);

struct MasterOutcome {
    std::string master;  // HOST:PORT
    MasterStatus status = MasterStatus::NoAnswer;
    std::string detail;  // the resolver's or socket layer's words, "cancelled", or why the asking stopped
    std::string name;    // the master's name and message of the day, as UTF-8
    std::string motd;
    std::vector<ServerAddress> servers;  // each once, in the master's order; none no server can have
    int entriesReceived = 0;             // the entries of the packets received, servers or not
    int repeats = 0;                     // entries of a server listed earlier: merged
    UnusableCounts leftOut;              // entries no server can have: left out, by why
    int packetsReceived = 0;
    int packetsTotal = 0;  // 0 while no packet told it
    int requestsSent = 0;
    RejectedPackets rejected;
    double seconds = 0;  // from the first request to the end of the exchange
};

// "2 wrong key, 1 cut short": the datagrams dropped and why; empty when none was.
std::string RejectedText(const RejectedPackets& rejected);

// How a master's exchange ended, for a person: "complete: 3 servers from 3 entries in 1/1
// packets, 1 request, 0.058 s", then the repeats merged, the entries left out and why, what was
// dropped and why; or "unresolved: Host not found. (11001)".
std::string OutcomeSummary(const MasterOutcome& outcome);
// The master's own words: "NAME: MESSAGE OF THE DAY"; empty when it said nothing.
std::string MasterGreeting(const MasterOutcome& outcome);

// The masters' servers in the masters' order, each address and port once.
std::vector<ServerAddress> MergedServers(const std::vector<MasterOutcome>& outcomes);

bool EveryListComplete(const std::vector<MasterOutcome>& outcomes);

// A master named "HOST" or "HOST:PORT" ("[IPv6]:PORT"); the port is 28000 when none is given.
bool ParseMasterAddress(std::string_view text, ServerAddress& master, ServerListError& error);
