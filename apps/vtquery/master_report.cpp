#include "apps/vtquery/master_report.h"

#include <cmath>
#include <cstdio>

using json = nlohmann::ordered_json;

namespace {

std::string Counted(int count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

}  // namespace

std::string FormatMasterLines(const std::vector<MasterOutcome>& outcomes) {
    std::string text;
    for (const MasterOutcome& outcome : outcomes) {
        text += "master " + outcome.master + ": " + MasterStatusText(outcome.status);
        if (outcome.status == MasterStatus::Unresolved || outcome.status == MasterStatus::SocketError) {
            text += ": " + outcome.detail + "\n";
            continue;
        }
        const std::string total = outcome.packetsTotal > 0 ? std::to_string(outcome.packetsTotal) : "?";
        text += ": " + Counted(static_cast<int>(outcome.servers.size()), "server") + " in " +
                std::to_string(outcome.packetsReceived) + "/" + total + " packets, " +
                Counted(outcome.requestsSent, "request") + ", " + Seconds(outcome.seconds);
        const std::string rejected = RejectedText(outcome.rejected);
        if (!rejected.empty()) text += "; dropped " + rejected;
        if (!outcome.detail.empty()) text += "; " + outcome.detail;
        text += "\n";
        if (!outcome.name.empty() || !outcome.motd.empty()) {
            text += "  " + outcome.name + (outcome.motd.empty() ? "" : ": " + outcome.motd) + "\n";
        }
    }
    return text;
}

json MastersJson(const std::vector<MasterOutcome>& outcomes) {
    json masters = json::array();
    for (const MasterOutcome& outcome : outcomes) {
        json servers = json::array();
        for (const ServerAddress& server : outcome.servers) servers.push_back(server.Text());
        const RejectedPackets& rejected = outcome.rejected;
        masters.push_back({{"master", outcome.master},
                           {"status", MasterStatusText(outcome.status)},
                           {"detail", outcome.detail},
                           {"name", outcome.name},
                           {"motd", outcome.motd},
                           {"servers", std::move(servers)},
                           {"packetsReceived", outcome.packetsReceived},
                           {"packetsTotal", outcome.packetsTotal},
                           {"requestsSent", outcome.requestsSent},
                           {"rejected",
                            {{"wrongKey", rejected.wrongKey},
                             {"wrongHeader", rejected.wrongHeader},
                             {"cutShort", rejected.cutShort},
                             {"countMismatch", rejected.countMismatch},
                             {"badEntry", rejected.badEntry},
                             {"beyondTotal", rejected.beyondTotal}}},
                           {"seconds", std::round(outcome.seconds * 1000) / 1000}});
    }
    return masters;
}

std::string FormatListJson(const std::vector<ServerAddress>& servers,
                           const std::vector<MasterOutcome>& outcomes) {
    json list = json::array();
    for (const ServerAddress& server : servers)
        list.push_back({{"address", server.address}, {"port", server.port}});
    return json{{"servers", std::move(list)}, {"masters", MastersJson(outcomes)}}.dump(2) + "\n";
}
