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
#include "runner/elapsed_seconds.h"
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

int RunRefresh(const QueryOptions& options, const std::vector<ServerAddress>& servers,
               const std::vector<MasterOutcome>& masters) {
    const std::wstring pluginPath =
        options.pluginPath.empty() ? PluginBesideProgram() : FullHostPath(options.pluginPath);
    RunPhases phases;
    std::optional<PluginRunner> plugin;
    phases.loadSeconds = SecondsOf([&] { plugin.emplace(pluginPath); });

    RefreshPlan plan;
    plan.count = options.count;
    plan.workers = Workers(options.jobs, std::thread::hardware_concurrency());
    if (options.mostSessions > 0) plan.mostSessions = static_cast<size_t>(options.mostSessions);
    plan.countWindows = options.json;  // only the JSON total reports them

    // The report goes out a batch at a time, and host objects live only for their batch: the
    // memory a refresh holds does not grow with the list.
    RefreshTotals totals;
    JsonReportStream json;
    if (options.json) WriteOut(json.Begin(masters));
    bool written = false;
    RefreshPhases refresh;
    {
        ProgressLine progress(servers.size() > kServersWorthProgress);
        refresh = plugin->RefreshInBatches(
            servers.size(), plan,
            [&](size_t index) { return HostListedServer(servers[index], options.timeoutSeconds); },
            [&](size_t first, const std::vector<std::unique_ptr<HostedServer>>& batch,
                const RefreshTimes& times) {
                std::vector<ServerResult> results;
                for (size_t i = 0; i < batch.size(); ++i) {
                    results.push_back(ReadServerResult(servers[first + i], *batch[i]->data, times.pingMs[i]));
                }
                AddOutcomes(totals, results);
                progress.Show("");
                if (options.json) {
                    WriteOut(json.Servers(results));
                } else {
                    if (written && options.verbose) WriteOut("\n");
                    WriteOut(FormatTextReport(results, options.verbose));
                }
                written = true;
            },
            [&](size_t done) {
                progress.Show(FormatProgress(static_cast<int>(done), static_cast<int>(servers.size())));
            });
    }
    phases.createSeconds = refresh.createSeconds;
    phases.refreshSeconds = refresh.refreshSeconds;
    phases.removeSeconds = refresh.removeSeconds + SecondsOf([&] { plugin.reset(); });

    totals.phases = phases;
    totals.batches = refresh.batches;
    totals.mostWindows = refresh.mostWindows;
    totals.mostThreads = refresh.mostThreads;
    const std::vector<ReportedError> errors = PluginErrorReports();
    if (options.json) {
        WriteOut(json.End(errors, totals));
        WriteError(FormatTotalLine(totals) + "\n");
    } else {
        for (const ReportedError& error : errors)
            WriteError("plugin error: " + error.title + ": " + error.text + "\n");
        WriteOut(FormatTotalLine(totals) + "\n");
    }
    return totals.successes == totals.servers ? kExitAllAnswered : kExitNotAllAnswered;
}
