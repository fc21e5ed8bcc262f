// browse_response: what a user of vtbrowse feels while a long list refreshes. The window is made
// in this process (as vtbrowse.exe makes it) with the servers of a tribes-emu ready file; a probe
// thread sends it a message every 10 ms and times how long the window takes to answer, through
// the first refresh (sessions made) and the next one (sessions reused).
//
//   browse_response (--ports-file F | --master ADDRESS:PORT) [--settings FILE] [--seconds S]
//
// Prints one line per refresh: how long it took, the answer times (longest, 99th percentile,
// median) of the probes sent while it ran, the longest the window spent on one message of its
// own, and how long after the window took the refresh's last results the list was fully drawn;
// at the end, the process's peak working set. Run it on a display (scripts/wine-gui-run).
// With --master the servers come from that master instead (the largest list a master can
// describe, from tribes-emu's `largest` mode): the first refresh is the one the fetch starts once
// its lists are merged, timed from the fetch's command, the merge's wait included; no second.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "apps/vtbrowse/window/browser_window_win.h"
#include "bench/port_list.h"
#include "bench/sample_stats.h"
#include "common/contract/windows_headers.h"
#include "host/runner/elapsed_seconds.h"

// After windows.h, which declares what it uses.
#include <psapi.h>

namespace {

using Clock = std::chrono::steady_clock;

// Sends window a message every 10 ms from a thread of its own; keeps how long each took.
class Probe {
public:
    explicit Probe(HWND window)
        : thread_([this, window] {
              while (!stop_) {
                  const Clock::time_point sent = Clock::now();
                  DWORD_PTR result = 0;
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
                  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
                  {
                      std::lock_guard<std::mutex> hold(mutex_);
                      answers_.push_back(ms);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          }) {}
    ~Probe() {
        stop_ = true;
        thread_.join();
    }
    // The answer times since the last call.
    std::vector<double> Take() {
        std::lock_guard<std::mutex> hold(mutex_);
        return std::exchange(answers_, {});
    }

private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<double> answers_;
    std::thread thread_;
};

std::wstring StatusText(HWND window) {
    wchar_t text[512] = L"";
    SendMessageW(PaneControl(window, IDC_STATUS), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

bool RefreshEnded(HWND window) {
    const std::wstring status = StatusText(window);
    return status.rfind(L"Refresh", 0) == 0 && status.rfind(L"Refreshing", 0) != 0;
}

struct Pumped {
    bool ended = false;
    double longestMs = 0;     // the longest the window took over one message it was posted
    UINT longestMessage = 0;  // which message that was
    double drawnMs = 0;       // from taking the refresh's end to the list with nothing left to paint
};

// Runs the window's message loop until ended() and the server list is drawn, or seconds have
// passed. The longest message is the window's own work, apart from the waits of a loaded system
// between messages.
Pumped PumpUntil(BrowserWindow& browser, const std::function<bool()>& ended, double seconds) {
    Pumped pumped;
    HWND list = PaneControl(browser.Window(), IDC_SERVERS);
    const Clock::time_point start = Clock::now();
    Clock::time_point endedAt;
    bool drawn = false;
    while (SecondsSince(start) < seconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            const Clock::time_point taken = Clock::now();
            if (!browser.PreTranslate(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            const double ms = SecondsSince(taken) * 1000;
            if (ms > pumped.longestMs) {
                pumped.longestMs = ms;
                pumped.longestMessage = message.message;
            }
            if (!pumped.ended && ended()) {
                pumped.ended = true;
                endedAt = Clock::now();
            }
            // Looked at after each message: the window's other paints may come after the list's.
            if (pumped.ended && !drawn && !GetUpdateRect(list, nullptr, FALSE)) {
                drawn = true;
                pumped.drawnMs = SecondsSince(endedAt) * 1000;
            }
        }
        if (drawn) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return pumped;
}

double PeakWorkingSetMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

void Report(const char* which, size_t servers, double seconds, std::vector<double> answers,
            const Pumped& pumped, const std::wstring& status) {
    const SampleSummary summary = Summarize(answers);
    std::sort(answers.begin(), answers.end());
    const double p99 = answers.empty() ? 0 : answers[std::min(answers.size() - 1, answers.size() * 99 / 100)];
    std::printf(
        "%s refresh of %zu servers: %.2f s; window answered %zu probes: longest %.1f ms, 99th %.1f ms, "
        "median %.2f ms; longest message handled %.1f ms (0x%04x); list drawn %.1f ms after the refresh's "
        "end was "
        "taken\n",
        which, servers, seconds, summary.count, summary.max, p99, summary.median, pumped.longestMs,
        pumped.longestMessage, pumped.drawnMs);
    std::printf("  status: %ls\n", status.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"vtbrowse's answer time while a long list refreshes"};
    std::string portsFile;
    std::string master;
    std::string settingsPath = "browse-response-settings.txt";
    double seconds = 120;
    auto* portsOption = app.add_option("--ports-file", portsFile, "tribes-emu ready file: one port a line");
    app.add_option("--master", master, "a master to get the servers from (ADDRESS:PORT)")
        ->excludes(portsOption);
    app.add_option("--settings", settingsPath, "vtbrowse's settings file (written)");
    app.add_option("--seconds", seconds, "bound on each refresh");
    CLI11_PARSE(app, argc, argv);
    const std::vector<std::uint16_t> ports =
        master.empty() ? ReadPortFile(portsFile) : std::vector<std::uint16_t>{};
    if (master.empty() && ports.empty()) {
        std::fprintf(stderr, "browse_response: no ports in %s (or no --master)\n", portsFile.c_str());
        return 2;
    }
    std::remove(settingsPath.c_str());
    if (!master.empty()) {
        if (std::FILE* settings = std::fopen(settingsPath.c_str(), "w")) {
            // None of the largest list's servers answers: each ping waits the shortest budget.
            std::fprintf(settings, "timeout=1\nmaster=%s\n", master.c_str());
            std::fclose(settings);
        }
    }

    BrowserStart start;
    std::vector<std::string> arguments;
    for (std::uint16_t port : ports) arguments.push_back("127.0.0.1:" + std::to_string(port));
    start.options = ParseBrowseOptions(arguments);
    start.settingsPath = settingsPath;
    start.pluginPath = PluginBesideProgram();
    start.quitOnClose = false;
    start.show = SW_SHOWNORMAL;

    // The window shows itself, lists the servers and starts the first refresh before it returns
    // to its loop: that time is a wait the user sees too, reported on its own.
    Clock::time_point begun = Clock::now();
    auto browser = std::make_unique<BrowserWindow>(std::move(start));
    std::printf("window made, %zu servers listed and their refresh started in %.1f ms\n", ports.size(),
                SecondsSince(begun) * 1000);
    auto probe = std::make_unique<Probe>(browser->Window());
    HWND window = browser->Window();
    if (!window) {
        std::fprintf(stderr, "browse_response: no window\n");
        return 1;
    }
    int status = 0;
    size_t listed = ports.size();
    if (!master.empty()) {
        begun = Clock::now();
        SendMessageW(window, WM_COMMAND, IDC_GET_MASTERS, 0);
        // The fetch, then the merge, then the refresh of what was listed: its line in the log.
        const Pumped fetched = PumpUntil(
            *browser, [&] { return StatusText(window).rfind(L"Refreshing", 0) == 0; }, seconds);
        listed = static_cast<size_t>(SendMessageW(GetDlgItem(window, IDC_SERVERS), LVM_GETITEMCOUNT, 0, 0));
        std::printf("fetched and merged %zu servers in %.2f s; longest message handled %.1f ms (0x%04x)\n",
                    listed, SecondsSince(begun), fetched.longestMs, fetched.longestMessage);
    }
    for (const char* which : {"first", "second"}) {
        if (std::string(which) == "second") {
            begun = Clock::now();
            probe->Take();
            SendMessageW(window, WM_COMMAND, IDC_REFRESH, 0);
        }
        const Pumped pumped = PumpUntil(
            *browser, [&] { return RefreshEnded(window); }, seconds);
        Report(which, listed, SecondsSince(begun), probe->Take(), pumped, StatusText(window));
        std::fflush(stdout);
        if (!pumped.ended) {
            std::fprintf(stderr, "browse_response: the %s refresh did not end within %.0f s\n", which,
                         seconds);
            status = 1;
            break;
        }
        if (!master.empty()) break;  // the refresh the fetch started is the one timed
    }
    probe.reset();
    std::printf("peak working set %.1f MB\n", PeakWorkingSetMb());
    browser.reset();
    std::remove(settingsPath.c_str());
    return status;
}
