#include <thread>

#include "apps/shared/host_paths_win.h"
#include "apps/shared/listed_server.h"
#include "apps/shared/utf8_text.h"
#include "apps/vtquery/console_win.h"
#include "apps/vtquery/jobs_win.h"
#include "apps/vtquery/json_report.h"
#include "apps/vtquery/text_report.h"
#include "runner/plugin_runner_win.h"

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
        options.pluginPath.empty() ? PluginBesideProgram() : FullHostPath(options.pluginPath);
    PluginRunner plugin(pluginPath);
    std::vector<std::unique_ptr<HostedServer>> hosted;
    std::vector<HostedServer*> sessions;
    for (const ServerAddress& server : servers) {
        hosted.push_back(HostListedServer(server, options.timeoutSeconds));
        plugin.AddSession(*hosted.back());
        sessions.push_back(hosted.back().get());
    }
    const int workers =
        WorkerCount(options.jobs, static_cast<int>(servers.size()), std::thread::hardware_concurrency());
    RefreshTimes times;
    {
        ProgressLine progress(servers.size() > kServersWorthProgress);
        times = plugin.PingAll(sessions, options.count, workers, [&](size_t done) {
            progress.Show(FormatProgress(static_cast<int>(done), static_cast<int>(servers.size())));
        });
    }
    std::vector<ServerResult> results;
    for (size_t index = 0; index < servers.size(); ++index) {
        results.push_back(
            ReadServerResult(servers[index], *hosted[index]->data, std::move(times.pingMs[index])));
    }
    for (HostedServer* session : sessions) plugin.RemoveSession(*session);
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
