#include "apps/masters/master_outcome.h"

#include "apps/masters/master_packet.h"

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
    const struct {
        int count;
        const char* what;
    } kinds[] = {
        {rejected.wrongKey, "wrong key"}, {rejected.wrongHeader, "wrong header"},
        {rejected.cutShort, "cut short"}, {rejected.countMismatch, "more entries than counted"},
        {rejected.badEntry, "bad entry"}, {rejected.beyondTotal, "beyond the announced total"},
    };
    std::string text;
    for (const auto& kind : kinds) {
        if (kind.count == 0) continue;
        if (!text.empty()) text += ", ";
        text += std::to_string(kind.count) + " " + kind.what;
    }
    return text;
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
