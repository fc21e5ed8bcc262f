#include <chrono>
#include <optional>
#include <thread>

#include "apps/shared/host_paths_win.h"
#include "apps/shared/listed_server.h"
#include "apps/vtquery/console_win.h"
#include "apps/vtquery/jobs_win.h"
#include "apps/vtquery/json_report.h"
#include "apps/vtquery/text_report.h"
#include "host/runner/elapsed_seconds.h"
#include "host/runner/plugin_runner_win.h"
#include "host/runner/refresh_engine.h"
#include "host/text/utf8_text.h"

namespace {

// A progress line helps only when a refresh takes a while: more than a few servers.
constexpr size_t ServersWorthProgress = 4;

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

    EngineSettings settings;
    settings.count = options.count;
    settings.workers = RefreshWorkers(options.jobs, std::thread::hardware_concurrency());
    if (options.mostSessions > 0) settings.mostSessions = static_cast<size_t>(options.mostSessions);
    settings.countWindows = options.json;  // only the JSON total reports them

    // The report goes out a batch at a time, and host objects live only until their batch is
    // reported: the memory a refresh holds does not grow with the list. A server's key is its
    // index in the list.
    RefreshTotals totals;
    JsonReportStream json;
    if (options.json) WriteOut(json.Begin(masters));
    bool written = false;
    RefreshPhases refresh;
    {
        RefreshEngine engine(*plugin, settings);
        std::vector<std::pair<ServerKey, MakeHostedServer>> listed;
        std::vector<ServerKey> keys;
        for (size_t index = 0; index < servers.size(); ++index) {
            listed.emplace_back(
                index, [&, index] { return HostListedServer(servers[index], options.timeoutSeconds); });
            keys.push_back(index);
        }
        engine.Add(std::move(listed));
        ProgressLine progress(servers.size() > ServersWorthProgress);
        RefreshReport report;
        report.batchDone = [&](const RefreshBatch& batch) {
            std::vector<ServerResult> results;
            for (size_t i = 0; i < batch.keys.size(); ++i) {
                results.push_back(ReadServerResult(*batch.servers[i]->data, batch.times.pingMs[i]));
                results.back().server = servers[batch.keys[i]];
            }
            engine.Remove(batch.keys);
            AddOutcomes(totals, results);
            progress.Show("");
            if (options.json) {
                WriteOut(json.Servers(results));
            } else {
                if (written && options.verbose) WriteOut("\n");
                WriteOut(FormatTextReport(results, options.verbose));
            }
            written = true;
        };
        report.progress = [&](size_t done, size_t total) {
            progress.Show(FormatProgress(static_cast<int>(done), static_cast<int>(total)));
        };
        engine.Refresh(std::move(keys), std::move(report));
        engine.Wait();
        refresh = engine.Phases();
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
    return totals.successes == totals.servers ? ExitAllAnswered : ExitNotAllAnswered;
}
