#include <chrono>
#include <optional>
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

template <class Work>
double SecondsOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int RunRefresh(const QueryOptions& options, const std::vector<ServerAddress>& servers) {
    const std::wstring pluginPath =
        options.pluginPath.empty() ? PluginBesideProgram() : FullHostPath(options.pluginPath);
    RunPhases phases;
    std::optional<PluginRunner> plugin;
    phases.loadSeconds = SecondsOf([&] { plugin.emplace(pluginPath); });

    RefreshPlan plan;
    plan.count = options.count;
    plan.workers = Workers(options.jobs, std::thread::hardware_concurrency());
    if (options.mostSessions > 0) plan.mostSessions = static_cast<size_t>(options.mostSessions);
    std::vector<ServerResult> results(servers.size());
    RefreshPhases refresh;
    {
        ProgressLine progress(servers.size() > kServersWorthProgress);
        // Host objects live only for their batch: what the report needs is read back once the
        // batch's sessions are gone.
        refresh = plugin->RefreshInBatches(
            servers.size(), plan,
            [&](size_t index) { return HostListedServer(servers[index], options.timeoutSeconds); },
            [&](size_t index, HostedServer& server, std::vector<double> pingMs) {
                results[index] = ReadServerResult(servers[index], *server.data, std::move(pingMs));
            },
            [&](size_t done) {
                progress.Show(FormatProgress(static_cast<int>(done), static_cast<int>(servers.size())));
            });
    }
    phases.createSeconds = refresh.createSeconds;
    phases.refreshSeconds = refresh.refreshSeconds;
    phases.removeSeconds = refresh.removeSeconds + SecondsOf([&] { plugin.reset(); });

    RefreshTotals totals = CountOutcomes(results);
    totals.phases = phases;
    totals.batches = refresh.batches;
    totals.mostWindows = refresh.mostWindows;
    totals.mostThreads = refresh.mostThreads;
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
