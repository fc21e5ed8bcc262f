#include "apps/masters/master_outcome.h"

#include <cstdio>

#include "apps/masters/master_packet.h"
#include "apps/shared/kind_counts.h"

namespace {

// "1 server", "2 servers"; "1 entry", "2 entries".
std::string Counted(int count, std::string what) {
    if (count != 1) what = what.back() == 'y' ? what.substr(0, what.size() - 1) + "ies" : what + "s";
    return std::to_string(count) + " " + what;
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

}  // namespace

const char* MasterStatusText(MasterStatus status) {
    switch (status) {
        case MasterStatus::Complete:
            return "complete";
        case MasterStatus::Partial:
            return "partial";
        case MasterStatus::NoAnswer:
            return "no answer";
        case MasterStatus::BadReply:
            return "bad reply";
        case MasterStatus::Unresolved:
            return "unresolved";
        case MasterStatus::SocketError:
            return "socket error";
    }
    return "?";
}

std::string RejectedText(const RejectedPackets& rejected) {
    return KindCountsText({
        {rejected.wrongKey, "wrong key"}, {rejected.wrongHeader, "wrong header"},
        {rejected.cutShort, "cut short"}, {rejected.countMismatch, "more entries than counted"},
        {rejected.badEntry, "bad entry"}, {rejected.beyondTotal, "beyond the announced total"},
    });
}

std::string OutcomeSummary(const MasterOutcome& outcome) {
    std::string text = MasterStatusText(outcome.status);
    if (outcome.status == MasterStatus::Unresolved || outcome.status == MasterStatus::SocketError)
        return text + ": " + outcome.detail;
    const std::string total = outcome.packetsTotal > 0 ? std::to_string(outcome.packetsTotal) : "?";
    text += ": " + Counted(static_cast<int>(outcome.servers.size()), "server") + " from " +
            Counted(outcome.entriesReceived, "entry") + " in " + std::to_string(outcome.packetsReceived) +
            "/" + total + " packets, " + Counted(outcome.requestsSent, "request") + ", " +
            Seconds(outcome.seconds);
    if (outcome.repeats > 0) text += "; " + Counted(outcome.repeats, "repeat") + " merged";
    if (outcome.leftOut.Total() > 0) {
        text += "; left out " + Counted(outcome.leftOut.Total(), "entry") + " no server can have (" +
                outcome.leftOut.Text() + ")";
    }
    const std::string rejected = RejectedText(outcome.rejected);
    if (!rejected.empty()) text += "; dropped " + rejected;
    if (!outcome.detail.empty()) text += "; " + outcome.detail;
    return text;
}

std::string MasterGreeting(const MasterOutcome& outcome) {
    if (outcome.name.empty() && outcome.motd.empty()) return "";
    return outcome.name + (outcome.motd.empty() ? "" : ": " + outcome.motd);
}

std::vector<ServerAddress> MergedServers(const std::vector<MasterOutcome>& outcomes) {
    std::vector<ServerAddress> all;
    for (const MasterOutcome& outcome : outcomes)
        all.insert(all.end(), outcome.servers.begin(), outcome.servers.end());
    return WithoutDuplicates(all);
}

bool EveryListComplete(const std::vector<MasterOutcome>& outcomes) {
    for (const MasterOutcome& outcome : outcomes) {
        if (outcome.status != MasterStatus::Complete) return false;
    }
    return true;
}

bool ParseMasterAddress(std::string_view text, ServerAddress& master, ServerListError& error) {
    const bool hasPort = text.find(':') != std::string_view::npos && text.back() != ']';
    if (hasPort) return ParseServerAddress(text, master, error);
    return ParseServerAddress(std::string(text) + ":" + std::to_string(DefaultMasterPort), master, error);
}
