#include "apps/vtquery/masters_command_win.h"

#include "apps/masters/master_query_win.h"
#include "apps/vtquery/console_win.h"
#include "apps/vtquery/master_report.h"

std::vector<MasterOutcome> GatherFromMasters(const QueryOptions& options,
                                             std::vector<ServerAddress>& servers) {
    if (options.masters.empty()) return {};
    std::vector<ServerAddress> masters;
    for (const std::string& text : options.masters) {
        ServerAddress master;
        ServerListError error;
        ParseMasterAddress(text, master, error);  // checked with the command line
        masters.push_back(master);
    }
    MasterTiming timing;
    timing.timeout = std::chrono::milliseconds(static_cast<long long>(options.masterTimeoutSeconds * 1000));
    MasterGathering gathering = GatherMasters(masters, timing);
    if (!options.json) WriteError(FormatMasterLines(gathering.masters));
    servers.insert(servers.end(), gathering.servers.begin(), gathering.servers.end());
    return gathering.masters;
}

int MastersExitCode(const std::vector<MasterOutcome>& outcomes) {
    return EveryListComplete(outcomes) ? 0 : ExitMasterFailed;
}

int RunList(const QueryOptions& options, const std::vector<ServerAddress>& servers,
            const std::vector<MasterOutcome>& outcomes) {
    if (options.json) {
        WriteOut(FormatListJson(servers, outcomes));
    } else {
        std::string lines;
        for (const ServerAddress& server : servers) lines += server.Text() + "\n";
        WriteOut(lines);
    }
    return MastersExitCode(outcomes);
}
