#include <thread>

#include "host/vtquery/commands_win.h"
#include "host/vtquery/console_win.h"
#include "host/vtquery/host_paths_win.h"
#include "host/vtquery/json_report.h"
#include "host/vtquery/refresh.h"
#include "host/vtquery/server_sessions_win.h"
#include "host/vtquery/text_report.h"
#include "host/vtquery/utf8_text.h"

namespace {

// A progress line helps only when a refresh takes a while: more than a few servers.
constexpr size_t kServersWorthProgress = 4;

std::vector<ReportedError> PluginErrorReports() {
    std::vector<ReportedError> errors;
    for (const ErrorReport& report : VtErrorReports()) {
        errors.push_back({Utf8FromWide(report.title), Utf8FromWide(report.text)});
    }
    return errors;
}

}  // namespace

int RunRefresh(const QueryOptions& options, const std::vector<ServerAddress>& servers) {
    const std::wstring pluginPath =
        options.pluginPath.empty() ? DefaultPluginPath() : FullHostPath(options.pluginPath);
    const PluginThread plugin(pluginPath);
    std::vector<ServerResult> results;
    RefreshTimes times;
    {
        ServerSessions sessions(plugin, servers, options.timeoutSeconds);
        const int workers =
            WorkerCount(options.jobs, static_cast<int>(servers.size()), std::thread::hardware_concurrency());
        ProgressLine progress(servers.size() > kServersWorthProgress);
        times = RefreshServers(
            sessions.size(), options.count, workers,
            [&](size_t index) { plugin.Ping(sessions[index].handle); },
            [&](size_t done) {
                progress.Show(FormatProgress(static_cast<int>(done), static_cast<int>(servers.size())));
            });
        for (size_t index = 0; index < sessions.size(); ++index) {
            results.push_back(ReadServerResult(sessions[index].server, *sessions[index].data,
                                               std::move(times.pingMs[index])));
        }
    }
    const RefreshTotals totals = CountOutcomes(results, times.wallSeconds);
    const std::vector<ReportedError> errors = PluginErrorReports();
    if (options.json) {
        WriteOut(FormatJsonReport(results, errors, totals));
        WriteError(FormatTotalLine(totals) + "\n");
    } else {
        WriteOut(FormatTextReport(results, options.verbose));
        for (const ReportedError& error : errors)
            WriteError("plugin error: " + error.title + ": " + error.text + "\n");
        WriteOut(FormatTotalLine(totals) + "\n");
    }
    return totals.successes == totals.servers ? kExitAllAnswered : kExitNotAllAnswered;
}
