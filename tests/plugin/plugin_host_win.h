// The plugin runner as the integration tests use it: the real Tribes.vtplugin beside the test
// program, run as a host runs it, with what only tests look at: a journal shared by the host
// objects, a window that records what the plugin forwards to it, the plugin's network windows,
// and the destruction of windows as journal lines; and what each ping outcome leaves in the
// host's record and tables, what no ping may still hold afterwards, and how long a ping may take.
#pragma once

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/contract/commands.h"
#include "common/contract/host_window.h"
#include "common/contract/session_record.h"
#include "host/probes/call_probe.h"
#include "host/runner/elapsed_seconds.h"
#include "host/runner/plugin_runner_win.h"
#include "tools/tribes_emu/reply_builder.h"

namespace integration {

// One server as the tests hand it over, its host objects journaling into one journal (which
// several servers may share) through probes that also plan their faults.
struct TestServer : HostedServer {
    explicit TestServer(const char* handleText, std::shared_ptr<CallJournal> sharedJournal = nullptr);
    std::vector<std::wstring> JournalSince(std::size_t from) const;  // lines from index from on

    std::shared_ptr<CallJournal> journal;
    std::shared_ptr<CallProbe> entryProbe;
    std::shared_ptr<CallProbe> dataProbe;
};

// The host window of command 1124 (forwarding): the plugin asks it for its handle. A planned
// fault is made there once, its C++ exception leaving this module the way our host library's do.
class TestHostWindow : public VtHostWindow {
public:
    explicit TestHostWindow(HWND window) : window_(window) {}
    HWND GetWindowHandle() override;

    HostFault fault = HostFault::None;

private:
    HWND window_;
};

class PluginHost {
public:
    // Loads the plugin beside the test program; a test fails at once without it.
    PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // A command sent from the calling thread, as the host does.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return runner.Send(message, wParam, lParam);
    }
    // The ping export on the calling thread (never the window thread).
    int Ping(HostedServer& server) { return runner.Ping(server); }
    void OnWindowThread(const std::function<void()>& work) const { runner.Thread().Run(work); }
    // work on the window thread inside an exception frame of the host's own, which then makes a
    // fault of its own: how often the host's handler took it (see FaultInHostFrameAfter).
    int InHostFrameOnWindowThread(std::function<void()> work) const {
        int taken = -1;
        OnWindowThread([&] { taken = FaultInHostFrameAfter(work); });
        return taken;
    }
    HWND Init(HWND parent) { return runner.Init(parent); }
    void Unload() { runner.Unload(); }
    // Another top-level window of the window thread (a parent for the plugin's windows, say).
    HWND CreateHostWindow();
    // Command 1036 for server; the network message window it made, or null.
    HWND CreateSession(TestServer& server);
    // The plugin's network message windows (dialogs) that are children of parent.
    std::vector<HWND> NetworkWindows(HWND parent) const;

    PluginRunner runner{PluginBesideProgram()};
    HWND parentWindow = nullptr;  // the plugin's parent: the runner's window
    HWND commandWindow = nullptr;
    HWND forwardWindow = nullptr;  // records message 1124 in forwarded
    std::vector<std::pair<WPARAM, LPARAM>> forwarded;
};

// Records the destruction of each window in names as "window.Destroy(<name>)" in journal.
// Installed for the calling thread: call it on the window thread.
void RecordWindowDestruction(std::shared_ptr<CallJournal> journal, std::map<HWND, std::wstring> names);

// Journal lines written as one text, separated by '|'.
std::vector<std::wstring> Calls(const std::wstring& lines);

inline std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// TRIBES_LONG=1 in the environment selects the long variants of the load tests.
template <class Value>
Value ShortOrLong(Value shortValue, Value longValue) {
    const char* value = std::getenv("TRIBES_LONG");
    return value && std::string(value) == "1" ? longValue : shortValue;
}

// The longest a ping with budget seconds may take: the budget and one second, and slack for a
// machine that others share.
std::chrono::milliseconds PingLimit(int budgetSeconds);

// The record and tables as the complete reply of info leaves them: playerRows player rows from
// the reply's first players (all of them by default), after earlyPropertyRows property rows of
// an earlier datagram.
void ExpectReplyShown(const TestServer& server, const tribes_emu::ServerInfo& info,
                      std::size_t playerRows = ~std::size_t{0}, std::size_t earlyPropertyRows = 0);
// The record and tables as the timeout outcome leaves them.
void ExpectTimeoutShown(const TestServer& server);
// The same for the failure outcome.
void ExpectFailureShown(const TestServer& server);
// Whether journal follows transcript (lines separated by '|'), where the line "..." stands for
// any lines, "name(*)" for a call with any non-empty argument and "text*" for any line that
// starts with text.
bool Follows(const std::vector<std::wstring>& journal, const std::wstring& transcript);
// No ping holds anything: one reference each for the test and the session, no open lock or
// update bracket.
void ExpectNothingHeld(const TestServer& server);

}  // namespace integration
