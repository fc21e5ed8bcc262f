#include "apps/vtquery/master_report.h"

#include <cmath>

using json = nlohmann::ordered_json;

std::string FormatMasterLines(const std::vector<MasterOutcome>& outcomes) {
    std::string text;
    for (const MasterOutcome& outcome : outcomes) {
        text += "master " + outcome.master + ": " + OutcomeSummary(outcome) + "\n";
        const std::string greeting = MasterGreeting(outcome);
        if (!greeting.empty()) text += "  " + greeting + "\n";
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
                           {"entries", outcome.entriesReceived},
                           {"repeats", outcome.repeats},
                           {"leftOut",
                            {{"thisNetwork", outcome.leftOut.Of(Unusable::ThisNetwork)},
                             {"broadcast", outcome.leftOut.Of(Unusable::Broadcast)},
                             {"multicast", outcome.leftOut.Of(Unusable::Multicast)},
                             {"reserved", outcome.leftOut.Of(Unusable::Reserved)},
                             {"portZero", outcome.leftOut.Of(Unusable::PortZero)}}},
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
