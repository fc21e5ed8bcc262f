// ping_overhead: the plugin's pings against the floor of their mechanism, in the same process
// and the same run, taking turns so that both meet the same machine.
//
//   ping_overhead sequential --port P        one session pinged again and again; the floor
//                 [--rounds R --block B]     probe's exchanges with the same port in between,
//                                            and floor exchanges followed by the parse of the
//                                            reply into host tables; medians and ratios
//   ping_overhead pool --ports-file F -j J   one session per port; a pass pings every session
//                 [--rounds R]               once from J threads, taking turns with a floor pass
//                                            and a floor-and-parse pass over the same ports;
//                                            wall time per pass and ratios
#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "plugin/query/table_names.h"
#include "bench/bench_sessions_win.h"
#include "bench/floor_exchange_win.h"
#include "bench/notify_windows_win.h"
#include "bench/port_options.h"
#include "bench/reply_text.h"
#include "bench/sample_stats.h"
#include "plugin/boundary/table_layout.h"
#include "common/owners/unique_resource.h"
#include "plugin/query/reply_parser.h"
#include "host/runner/elapsed_seconds.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
    std::wstring pluginPath;
    std::vector<std::uint16_t> ports;
    int rounds = 20;
    int block = 50;
    int warmup = 50;
    int jobs = 1;
    int budgetSeconds = 2;
    std::string only;  // pool: run just this kind ("plugin", "floor" or "parsed")
};

void PrintSummary(const char* what, const char* unit, const SampleSummary& summary, int failed) {
    std::printf("%-15s %5zu samples, median %9.1f %s (p10 %9.1f, p90 %9.1f, min %9.1f), %d not answered\n",
                what, summary.count, summary.median, unit, summary.p10, summary.p90, summary.min, failed);
}

int RunSequential(const Settings& settings) {
    BenchSessions host(settings.pluginPath);
    std::uint16_t port = settings.ports.front();
    int server = host.Add(port, settings.budgetSeconds);
    NotifyWindows floor(1);
    std::array<char, 2000> buffer;

    std::vector<double> pluginMicros;
    std::vector<double> floorMicros;
    std::vector<double> parsedMicros;  // floor exchange, then the reply parsed into host tables
    std::vector<double> parseMicros;   // the tables cleared and the reply parsed, alone
    int pluginFailed = 0;
    int floorFailed = 0;
    int parsedFailed = 0;
    HostRef<HostServerData> tables = HostRef<HostServerData>::Adopt(HostServerData::Create());
    LayOutResultTables(*tables);
    const std::wstring users(UsersTableName);
    const std::wstring properties(PropertiesTableName);
    ReplyText reply;
    auto pluginBlock = [&](int count, bool keep) {
        for (int i = 0; i < count; ++i) {
            Clock::time_point start = Clock::now();
            host.Ping(server);
            double micros = MicrosecondsSince(start);
            if (!keep) continue;
            pluginMicros.push_back(micros);
            if (!host.Answered(server)) ++pluginFailed;
        }
    };
    auto floorBlock = [&](int count, bool keep) {
        for (int i = 0; i < count; ++i) {
            Clock::time_point start = Clock::now();
            FloorExchangeResult result =
                FloorExchange(floor.Window(0), floor.Semaphore(0), port, settings.budgetSeconds, buffer);
            double micros = MicrosecondsSince(start);
            if (!keep) continue;
            floorMicros.push_back(micros);
            if (!result.replied) ++floorFailed;
        }
    };

    auto parsedBlock = [&](int count, bool keep) {
        for (int i = 0; i < count; ++i) {
            Clock::time_point start = Clock::now();
            FloorExchangeResult result =
                FloorExchange(floor.Window(0), floor.Semaphore(0), port, settings.budgetSeconds, buffer);
            Clock::time_point parseStart = Clock::now();
            tables->ClearTable(users);
            tables->ClearTable(properties);
            reply.parsed = false;
            reply.bytes = static_cast<std::size_t>(result.replyBytes);
            ParseReply(reinterpret_cast<const unsigned char*>(buffer.data()), result.replyBytes, *tables,
                       reply.Fields());
            double parse = MicrosecondsSince(parseStart);
            double micros = MicrosecondsSince(start);
            if (!keep) continue;
            parsedMicros.push_back(micros);
            parseMicros.push_back(parse);
            if (!reply.parsed) ++parsedFailed;
        }
    };

    pluginBlock(settings.warmup, false);
    floorBlock(settings.warmup, false);
    parsedBlock(settings.warmup, false);
    // Each round's own ratio, so that a slow stretch of the machine weighs on both sides alike.
    std::vector<double> roundRatios;
    for (int round = 0; round < settings.rounds; ++round) {
        // The three kinds take turns, each first in every third round.
        std::size_t pluginStart = pluginMicros.size();
        std::size_t floorStart = floorMicros.size();
        std::function<void(int, bool)> blocks[] = {pluginBlock, floorBlock, parsedBlock};
        for (int k = 0; k < 3; ++k) blocks[(round + k) % 3](settings.block, true);
        double pluginRound =
            Summarize({pluginMicros.begin() + static_cast<long>(pluginStart), pluginMicros.end()}).median;
        double floorRound =
            Summarize({floorMicros.begin() + static_cast<long>(floorStart), floorMicros.end()}).median;
        roundRatios.push_back(pluginRound / floorRound);
    }

    SampleSummary plugin = Summarize(pluginMicros);
    SampleSummary probe = Summarize(floorMicros);
    SampleSummary parsed = Summarize(parsedMicros);
    SampleSummary ratios = Summarize(roundRatios);
    std::printf("sequential pings of 127.0.0.1:%u (%d-byte reply), %d rounds of %d each, interleaved\n", port,
                static_cast<int>(reply.bytes), settings.rounds, settings.block);
    PrintSummary("plugin ping", "us", plugin, pluginFailed);
    PrintSummary("floor exchange", "us", probe, floorFailed);
    PrintSummary("floor + parse", "us", parsed, parsedFailed);
    PrintSummary("  parse alone", "us", Summarize(parseMicros), parsedFailed);
    std::printf(
        "plugin - floor: %.1f us; ratio of medians (plugin / floor): %.3f; (floor + parse) / floor: %.3f\n",
        plugin.median - probe.median, plugin.median / probe.median, parsed.median / probe.median);
    std::printf("ratio per round: median %.3f (min %.3f, max %.3f)\n", ratios.median, ratios.min, ratios.max);
    return pluginFailed + floorFailed + parsedFailed == 0 ? 0 : 1;
}

// Runs exchange(i) for i in [0, count) on jobs threads that take the next index as they go;
// returns the wall time in seconds.
double RunPass(int jobs, int count, const std::function<void(int)>& exchange) {
    std::atomic<int> next{0};
    Clock::time_point start = Clock::now();
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j) {
        workers.emplace_back([&] {
            for (int i = next++; i < count; i = next++) exchange(i);
        });
    }
    for (std::thread& worker : workers) worker.join();
    return MicrosecondsSince(start) / 1e6;
}

int RunPool(const Settings& settings) {
    int count = static_cast<int>(settings.ports.size());
    if (settings.jobs > count) {
        std::fprintf(stderr, "ping_overhead: -j must not exceed the number of ports\n");
        return 2;
    }
    BenchSessions host(settings.pluginPath);
    for (std::uint16_t port : settings.ports) host.Add(port, settings.budgetSeconds);
    NotifyWindows floor(count);

    std::vector<HostRef<HostServerData>> tables;
    for (int i = 0; i < count; ++i) {
        tables.push_back(HostRef<HostServerData>::Adopt(HostServerData::Create()));
        LayOutResultTables(*tables.back());
    }
    const std::wstring users(UsersTableName);
    const std::wstring properties(PropertiesTableName);

    std::vector<ReplyText> replies(static_cast<std::size_t>(count));

    std::atomic<int> pluginFailed{0};
    std::atomic<int> floorFailed{0};
    std::atomic<int> parsedFailed{0};
    auto pluginPing = [&](int i) {
        host.Ping(i);
        if (!host.Answered(i)) ++pluginFailed;
    };
    auto floorExchange = [&](int i) {
        thread_local std::array<char, 2000> buffer;
        FloorExchangeResult result =
            FloorExchange(floor.Window(i), floor.Semaphore(i), settings.ports[static_cast<std::size_t>(i)],
                          settings.budgetSeconds, buffer);
        if (!result.replied) ++floorFailed;
    };
    auto parsedExchange = [&](int i) {
        thread_local std::array<char, 2000> buffer;
        // Per session rather than thread_local, so no destructor runs in the MinGW run-time's
        // thread-exit hooks (the suspect of one heap fault seen in a pool run with thread_local).
        ReplyText& reply = replies[static_cast<std::size_t>(i)];
        FloorExchangeResult result =
            FloorExchange(floor.Window(i), floor.Semaphore(i), settings.ports[static_cast<std::size_t>(i)],
                          settings.budgetSeconds, buffer);
        HostServerData& data = *tables[static_cast<std::size_t>(i)];
        data.ClearTable(users);
        data.ClearTable(properties);
        reply.parsed = false;
        ParseReply(reinterpret_cast<const unsigned char*>(buffer.data()), result.replyBytes, data,
                   reply.Fields());
        if (!reply.parsed) ++parsedFailed;
    };
    const std::function<void(int)> kinds[] = {pluginPing, floorExchange, parsedExchange};
    // --only runs one kind by itself, to tell which one a fault or a slowdown belongs to.
    static const char* const kindNames[] = {"plugin", "floor", "parsed"};
    auto selected = [&](int kind) { return settings.only.empty() || settings.only == kindNames[kind]; };

    for (int kind = 0; kind < 3; ++kind) {
        if (selected(kind))
            RunPass(settings.jobs, count, kinds[kind]);  // warm-up: first use of every session
    }
    pluginFailed = 0;
    floorFailed = 0;
    parsedFailed = 0;
    std::vector<double> milliseconds[3];
    for (int round = 0; round < settings.rounds; ++round) {
        // The three kinds take turns, each first in every third round.
        for (int k = 0; k < 3; ++k) {
            int kind = (round + k) % 3;
            if (selected(kind))
                milliseconds[kind].push_back(1000 * RunPass(settings.jobs, count, kinds[kind]));
        }
    }

    SampleSummary plugin = Summarize(milliseconds[0]);
    SampleSummary probe = Summarize(milliseconds[1]);
    SampleSummary parsed = Summarize(milliseconds[2]);
    std::printf("pool of %d threads over %d sessions, %d passes of each kind, interleaved\n", settings.jobs,
                count, settings.rounds);
    PrintSummary("plugin pass", "ms", plugin, pluginFailed);
    PrintSummary("floor pass", "ms", probe, floorFailed);
    PrintSummary("floor + parse", "ms", parsed, parsedFailed);
    std::printf("pings/s at the median: plugin %.1f, floor %.1f, floor + parse %.1f\n",
                1000 * count / plugin.median, 1000 * count / probe.median, 1000 * count / parsed.median);
    std::printf("ratio of medians (plugin / floor): %.3f; (floor + parse) / floor: %.3f\n",
                plugin.median / probe.median, parsed.median / probe.median);
    return pluginFailed + floorFailed + parsedFailed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"The plugin's pings against the floor probe, interleaved, with a tribes-emu on 127.0.0.1"};
    app.require_subcommand(1);
    Settings settings;
    PortOptions target;
    std::string pluginPath;
    auto addCommon = [&](CLI::App* mode) {
        target.AddTo(mode, false);
        mode->add_option("--rounds", settings.rounds, "turns of plugin and floor")
            ->check(CLI::Range(1, 10000));
        mode->add_option("--plugin", pluginPath, "the plugin (default: Tribes.vtplugin beside this program)");
    };
    CLI::App* sequential = app.add_subcommand("sequential", "one session, pings in a row");
    addCommon(sequential);
    sequential->add_option("--block", settings.block, "pings per turn")->check(CLI::Range(1, 100000));
    sequential->add_option("--warmup", settings.warmup, "pings of each kind before measuring")
        ->check(CLI::Range(0, 100000));
    CLI::App* pool = app.add_subcommand("pool", "one session per port, passes from a thread pool");
    addCommon(pool);
    pool->add_option("--jobs,-j", settings.jobs, "pinging threads")->check(CLI::Range(1, 256));
    pool->add_option("--only", settings.only, "run one kind of pass alone")
        ->check(CLI::IsMember({"plugin", "floor", "parsed"}));
    CLI11_PARSE(app, argc, argv);

    settings.pluginPath =
        pluginPath.empty() ? PluginBesideProgram() : std::wstring(pluginPath.begin(), pluginPath.end());
    settings.ports = target.Ports("ping_overhead");
    settings.budgetSeconds = target.budgetSeconds;
    if (settings.ports.empty()) return 2;
    if (sequential->parsed()) settings.ports.resize(1);
    owners::unique_winsock winsock = owners::unique_winsock::Start(MAKEWORD(2, 2));
    try {
        return sequential->parsed() ? RunSequential(settings) : RunPool(settings);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ping_overhead: %s\n", error.what());
        return 1;
    }
}
