// floor_probe: what the ping mechanism costs by itself. Each exchange is one query and reply
// through a window on a second thread and a semaphore, and nothing else (see
// floor_exchange_win.h); the figures are the floor against which the plugin's pings are set.
//
//   floor_probe sequential --port P [--count N]     N exchanges in a row; per-exchange median
//   floor_probe pool --ports-file F --jobs J        J threads share the exchanges over the
//                    [--exchanges M]                ports; wall time and exchanges per second
//   floor_probe windows [--count N]                 N network windows made and destroyed as the
//                                                   plugin makes and destroys them; wall times
//   floor_probe start                               nothing: a program's start and exit
#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/floor_exchange_win.h"
#include "bench/floor_windows_win.h"
#include "bench/notify_windows_win.h"
#include "bench/port_options.h"
#include "bench/sample_stats.h"
#include "common/owners/unique_resource.h"
#include "host/runner/elapsed_seconds.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
    std::vector<std::uint16_t> ports;
    int count = 1000;
    int warmup = 20;
    int jobs = 1;
    int exchanges = 0;  // pool: 0 means one per port
    int budgetSeconds = 2;
};

int RunSequential(const Settings& settings) {
    NotifyWindows windows(1);
    std::array<char, 2000> buffer;
    std::uint16_t port = settings.ports.front();
    for (int i = 0; i < settings.warmup; ++i) {
        FloorExchange(windows.Window(0), windows.Semaphore(0), port, settings.budgetSeconds, buffer);
    }
    std::vector<double> micros;
    int failed = 0;
    for (int i = 0; i < settings.count; ++i) {
        Clock::time_point start = Clock::now();
        FloorExchangeResult result =
            FloorExchange(windows.Window(0), windows.Semaphore(0), port, settings.budgetSeconds, buffer);
        micros.push_back(MicrosecondsSince(start));
        if (!result.replied) ++failed;
    }
    SampleSummary summary = Summarize(micros);
    std::printf(
        "floor sequential: port %u, %zu exchanges, median %.1f us (p10 %.1f, p90 %.1f, min %.1f), %d "
        "failed\n",
        port, summary.count, summary.median, summary.p10, summary.p90, summary.min, failed);
    return failed == 0 ? 0 : 1;
}

// The exchanges are handed out in order; exchange i uses port and window i modulo the port
// count, so no two threads share a window while there are at least as many ports as threads.
int RunPool(const Settings& settings) {
    int portCount = static_cast<int>(settings.ports.size());
    if (settings.jobs > portCount) {
        std::fprintf(stderr, "floor_probe: --jobs must not exceed the number of ports\n");
        return 2;
    }
    int exchanges = settings.exchanges > 0 ? settings.exchanges : portCount;
    NotifyWindows windows(portCount);
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    std::atomic<int> resent{0};
    double windowCpuBefore = windows.ThreadCpuMilliseconds();

    Clock::time_point start = Clock::now();
    std::vector<std::thread> workers;
    for (int j = 0; j < settings.jobs; ++j) {
        workers.emplace_back([&] {
            std::array<char, 2000> buffer;
            for (int i = next++; i < exchanges; i = next++) {
                int slot = i % portCount;
                FloorExchangeResult result = FloorExchange(windows.Window(slot), windows.Semaphore(slot),
                                                           settings.ports[static_cast<std::size_t>(slot)],
                                                           settings.budgetSeconds, buffer);
                if (!result.replied) ++failed;
                if (result.queriesSent > 1) ++resent;
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    double wallSeconds = MicrosecondsSince(start) / 1e6;
    double windowCpu = windows.ThreadCpuMilliseconds() - windowCpuBefore;

    std::printf(
        "floor pool: jobs %d, %d exchanges over %d ports in %.3f s (%.1f exchanges/s), %d failed, "
        "%d re-sent; window thread cpu %.0f ms (10 ms ticks)\n",
        settings.jobs, exchanges, portCount, wallSeconds, exchanges / wallSeconds, failed.load(),
        resent.load(), windowCpu);
    return failed == 0 ? 0 : 1;
}

int RunWindows(int count) {
    const FloorWindowsTimes times = MakeAndDestroyFloorWindows(static_cast<std::size_t>(count));
    std::printf("floor windows: %d made in %.3f s, destroyed in %.3f s; %zu initialised\n", count,
                times.makeSeconds, times.destroySeconds, times.made);
    return times.made == static_cast<std::size_t>(count) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Floor of the ping mechanism: exchanges with a tribes-emu on 127.0.0.1"};
    app.require_subcommand(1);
    Settings settings;
    PortOptions target;
    const auto addTarget = [&](CLI::App* mode) { target.AddTo(mode, true); };
    CLI::App* sequential = app.add_subcommand("sequential", "exchanges one after another with one port");
    addTarget(sequential);
    sequential->add_option("--count", settings.count, "exchanges measured")->check(CLI::Range(1, 1000000));
    sequential->add_option("--warmup", settings.warmup, "exchanges run first and not measured")
        ->check(CLI::Range(0, 100000));
    CLI::App* pool = app.add_subcommand("pool", "a pool of threads sharing exchanges over many ports");
    addTarget(pool);
    pool->add_option("--jobs,-j", settings.jobs, "pinging threads")->check(CLI::Range(1, 256));
    pool->add_option("--exchanges", settings.exchanges, "exchanges in all (default: one per port)")
        ->check(CLI::Range(1, 1000000));
    int windowCount = 1000;
    CLI::App* windows =
        app.add_subcommand("windows", "network windows made and destroyed as the plugin does");
    windows->add_option("--count", windowCount, "windows made")->check(CLI::Range(1, 5000));
    CLI::App* start = app.add_subcommand("start", "nothing: a program's start and exit");
    CLI11_PARSE(app, argc, argv);
    if (start->parsed()) return 0;
    if (windows->parsed()) return RunWindows(windowCount);

    settings.ports = target.Ports("floor_probe");
    settings.budgetSeconds = target.budgetSeconds;
    if (settings.ports.empty()) return 2;
    owners::unique_winsock winsock = owners::unique_winsock::Start(MAKEWORD(2, 2));
    if (!winsock) {
        std::fprintf(stderr, "floor_probe: WSAStartup failed\n");
        return 1;
    }
    try {
        return sequential->parsed() ? RunSequential(settings) : RunPool(settings);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "floor_probe: %s\n", error.what());
        return 1;
    }
}
