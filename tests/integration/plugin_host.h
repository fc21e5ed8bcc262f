// A test host for the real Tribes.vtplugin: loads it on a window thread of its own that pumps
// messages, as a server browser does, and gives tests the plugin's command window, its ping
// export, and host objects with a call journal.
#pragma once

#include <winsock2.h>
// winsock2.h must come before windows.h.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "boundary/plugin_exports.h"
#include "boundary/server_session.h"
#include "host/server_objects.h"

namespace integration {

// The host window's record of the plugin's forward command (message 1124).
struct ForwardedMessage {
    WPARAM wParam;
    LPARAM lParam;
};

struct TestServer;

class PluginHost {
public:
    // Starts the window thread, which creates the host window, loads the plugin and calls
    // its init export. Fails the test (and leaves commandWindow null) if any of that fails.
    PluginHost();
    // Unloads the plugin on the window thread (if still loaded) and ends the thread.
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // A command to the command window, sent from the calling thread as the host does.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // The ping export, on the calling thread (never the window thread).
    int Ping(VtHandle& handle) const { return ping_(&handle); }
    // Runs work on the window thread and waits for it.
    void OnWindowThread(const std::function<void()>& work) const;
    // The init export, called on the window thread with parent; returns the window it wrote.
    HWND Init(HWND parent) const;
    // A second host window, owned by the window thread.
    HWND CreateHostWindow() const;
    // FreeLibrary on the window thread.
    void Unload();

    // Command 1036 for server (expecting result 0); returns the network message window it made
    // as a child of the host window, or null when none appeared.
    HWND CreateSession(TestServer& server) const;
    // The plugin's network message windows (dialogs) that are children of parent.
    std::vector<HWND> NetworkWindows(HWND parent) const;
    std::vector<ForwardedMessage> Forwarded() const;

    HWND hostWindow = nullptr;
    HWND commandWindow = nullptr;

private:
    void Run();
    static LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HMODULE module_ = nullptr;
    InitVantorProtocol init_ = nullptr;
    PingVantorProtocol ping_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<DWORD> windowThread_{0};
    mutable std::mutex mutex_;
    std::vector<ForwardedMessage> forwarded_;
    std::thread thread_;
};

// One server as the host hands it over: a handle and the two host objects, journaling into
// one journal (which several servers may share).
struct TestServer {
    explicit TestServer(const char* handleText, std::shared_ptr<CallJournal> sharedJournal = nullptr);

    SessionCreateRecord Record() { return {&handle, data.get(), entry.get()}; }
    // Journal lines from index from on.
    std::vector<std::wstring> JournalSince(std::size_t from) const;

    VtHandle handle;
    std::shared_ptr<CallJournal> journal;
    HostRef<HostServerEntry> entry;
    HostRef<HostServerData> data;
};

// Records the destruction of each window in names as "window.Destroy(<name>)" in journal, in
// order. Installed for the calling thread: call it on the window thread.
void RecordWindowDestruction(std::shared_ptr<CallJournal> journal, std::map<HWND, std::wstring> names);

using Seconds = std::chrono::duration<double>;

// How long work took, in seconds.
template <class Work>
double Timed(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return Seconds(std::chrono::steady_clock::now() - start).count();
}

std::wstring Widen(const std::string& text);

}  // namespace integration
