// cycle_allocations: counts the heap calls the plugin makes during one ping, and the datagrams
// that ping received, to show what each datagram costs in allocations.
//
// The plugin links its C++ library statically, so its operator new is its own and a counting
// operator new in this program would never see it. Every allocation the plugin's code makes
// still ends in the C library (msvcrt.dll malloc, calloc, realloc, _strdup), which the plugin
// calls through its own import table: those entries are pointed at counting functions here.
// VtServices.dll (the host objects) gets the same treatment, counted separately, and the
// plugin's recv import tells how many datagrams the ping took in and which were replies.
//
//   cycle_allocations --port P [--stray-port S] [--silent-port Q] [--pings N]
#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_sessions_win.h"
#include "bench/import_hooks_win.h"
#include "bench/sample_stats.h"
#include "common/contract/windows_headers.h"

namespace {

enum CountedModule { PluginModule, HostModule, CountedModuleCount };

struct CallCounts {
    std::atomic<long> heapCalls{0};  // malloc, calloc, realloc and _strdup
    std::atomic<long> frees{0};
};
CallCounts counts[CountedModuleCount];
std::atomic<long> datagrams{0};  // recv calls of the plugin that returned a datagram
std::atomic<long> replies{0};    // of those, the ones that began "c**b"

// The C library functions a module called before its entries were replaced.
template <int Module>
struct Original {
    static inline void*(__cdecl* malloc)(size_t) = nullptr;
    static inline void*(__cdecl* calloc)(size_t, size_t) = nullptr;
    static inline void*(__cdecl* realloc)(void*, size_t) = nullptr;
    static inline char*(__cdecl* strdup)(const char*) = nullptr;
    static inline void(__cdecl* free)(void*) = nullptr;
};
int(WSAAPI* originalRecv)(SOCKET, char*, int, int) = nullptr;

template <int Module>
void* __cdecl CountingMalloc(size_t size) {
    ++counts[Module].heapCalls;
    return Original<Module>::malloc(size);
}
template <int Module>
void* __cdecl CountingCalloc(size_t count, size_t size) {
    ++counts[Module].heapCalls;
    return Original<Module>::calloc(count, size);
}
template <int Module>
void* __cdecl CountingRealloc(void* block, size_t size) {
    ++counts[Module].heapCalls;
    return Original<Module>::realloc(block, size);
}
template <int Module>
char* __cdecl CountingStrdup(const char* text) {
    ++counts[Module].heapCalls;
    return Original<Module>::strdup(text);
}
template <int Module>
void __cdecl CountingFree(void* block) {
    if (block) ++counts[Module].frees;
    Original<Module>::free(block);
}

int WSAAPI CountingRecv(SOCKET socket, char* buffer, int length, int flags) {
    int received = originalRecv(socket, buffer, length, flags);
    if (received > 0) {
        ++datagrams;
        if (received >= 4 && std::memcmp(buffer, "c**b", 4) == 0) ++replies;
    }
    return received;
}

template <class Function>
bool Redirect(HMODULE module, const char* dll, const char* name, Function replacement, Function& original) {
    void* previous = ReplaceImport(module, dll, name, reinterpret_cast<void*>(replacement));
    if (previous) original = reinterpret_cast<Function>(previous);
    return previous != nullptr;
}

// Counts the module's C library heap calls; false when it imports none of them by name.
template <int Module>
bool CountHeapCalls(HMODULE module) {
    using O = Original<Module>;
    bool any = Redirect(module, "msvcrt.dll", "malloc", &CountingMalloc<Module>, O::malloc);
    any |= Redirect(module, "msvcrt.dll", "calloc", &CountingCalloc<Module>, O::calloc);
    any |= Redirect(module, "msvcrt.dll", "realloc", &CountingRealloc<Module>, O::realloc);
    any |= Redirect(module, "msvcrt.dll", "_strdup", &CountingStrdup<Module>, O::strdup);
    Redirect(module, "msvcrt.dll", "free", &CountingFree<Module>, O::free);
    return any;
}

struct PingCounts {
    long pluginHeapCalls;
    long pluginFrees;
    long hostHeapCalls;
    long datagrams;
    long replies;
    bool answered;
};

PingCounts CountedPing(BenchSessions& host, int server) {
    long before[] = {counts[PluginModule].heapCalls, counts[PluginModule].frees, counts[HostModule].heapCalls,
                     datagrams, replies};
    host.Ping(server);
    return {counts[PluginModule].heapCalls - before[0],
            counts[PluginModule].frees - before[1],
            counts[HostModule].heapCalls - before[2],
            datagrams - before[3],
            replies - before[4],
            host.Answered(server)};
}

struct ServerCounts {
    const char* label;
    double pluginHeapCalls;  // medians per ping
    double pluginFrees;
    double hostHeapCalls;
    double datagrams;
    double replies;
    int answered;
    int pings;
};

ServerCounts MeasureServer(BenchSessions& host, const char* label, std::uint16_t port, int budget,
                           int pings) {
    int server = host.Add(port, budget);
    CountedPing(host, server);  // the first ping of a session may set things up once
    std::vector<double> series[5];
    int answered = 0;
    for (int i = 0; i < pings; ++i) {
        PingCounts ping = CountedPing(host, server);
        long values[] = {ping.pluginHeapCalls, ping.pluginFrees, ping.hostHeapCalls, ping.datagrams,
                         ping.replies};
        for (int k = 0; k < 5; ++k) series[k].push_back(static_cast<double>(values[k]));
        answered += ping.answered;
        std::printf(
            "  %-7s ping %2d: plugin heap calls %4ld (frees %4ld), host heap calls %5ld, datagrams %2ld "
            "(replies %ld)%s\n",
            label, i + 1, ping.pluginHeapCalls, ping.pluginFrees, ping.hostHeapCalls, ping.datagrams,
            ping.replies, ping.answered ? "" : ", no answer recorded");
    }
    return {label,
            Summarize(series[0]).median,
            Summarize(series[1]).median,
            Summarize(series[2]).median,
            Summarize(series[3]).median,
            Summarize(series[4]).median,
            answered,
            pings};
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Heap calls of the plugin per ping and per datagram, against tribes-emu servers on 127.0.0.1"};
    int port = 0;
    int strayPort = 0;
    int silentPort = 0;
    int pings = 10;
    app.add_option("--port", port, "a server that answers at once")->required()->check(CLI::Range(1, 65535));
    app.add_option("--stray-port", strayPort, "a server that sends stray datagrams before its late answer")
        ->check(CLI::Range(1, 65535));
    app.add_option("--silent-port", silentPort, "a server that never answers (pinged with a budget of 1 s)")
        ->check(CLI::Range(1, 65535));
    app.add_option("--pings", pings, "measured pings per server")->check(CLI::Range(1, 1000));
    CLI11_PARSE(app, argc, argv);

    try {
        BenchSessions host(PluginBesideProgram());
        HMODULE services = GetModuleHandleW(L"VtServices.dll");
        if (!CountHeapCalls<PluginModule>(host.Module()) || !CountHeapCalls<HostModule>(services) ||
            !Redirect(host.Module(), "ws2_32.dll", "recv", &CountingRecv, originalRecv)) {
            std::fprintf(stderr,
                         "cycle_allocations: the plugin's imports are not where they were expected\n");
            return 1;
        }

        std::vector<ServerCounts> results;
        results.push_back(MeasureServer(host, "answer", static_cast<std::uint16_t>(port), 2, pings));
        if (strayPort)
            results.push_back(MeasureServer(host, "strays", static_cast<std::uint16_t>(strayPort), 2, pings));
        if (silentPort)
            results.push_back(
                MeasureServer(host, "silent", static_cast<std::uint16_t>(silentPort), 1, pings));

        std::printf("\nmedians per ping:\n");
        for (const ServerCounts& r : results) {
            std::printf(
                "  %-7s plugin heap calls %6.0f, frees %6.0f; host heap calls %6.0f; datagrams %4.0f, "
                "replies %.0f; %d/%d answered\n",
                r.label, r.pluginHeapCalls, r.pluginFrees, r.hostHeapCalls, r.datagrams, r.replies,
                r.answered, r.pings);
        }
        if (results.size() > 1 && results[1].datagrams > results[0].datagrams) {
            double extra = results[1].datagrams - results[0].datagrams;
            std::printf("each datagram beyond the reply: %.2f plugin heap calls, %.2f host heap calls\n",
                        (results[1].pluginHeapCalls - results[0].pluginHeapCalls) / extra,
                        (results[1].hostHeapCalls - results[0].hostHeapCalls) / extra);
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cycle_allocations: %s\n", error.what());
        return 1;
    }
}
