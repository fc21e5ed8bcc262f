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
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "boundary/command_window.h"
#include "boundary/plugin_exports.h"
#include "boundary/server_session.h"
#include "host/server_objects.h"

namespace integration {

// One server as the host hands it over: a handle and the two host objects, journaling into
// one journal (which several servers may share).
struct TestServer {
    explicit TestServer(const char* handleText, std::shared_ptr<CallJournal> sharedJournal = nullptr);
    SessionCreateRecord Record() { return {&handle, data.get(), entry.get()}; }
    std::vector<std::wstring> JournalSince(std::size_t from) const;  // lines from index from on

    VtHandle handle;
    std::shared_ptr<CallJournal> journal;
    HostRef<HostServerEntry> entry;
    HostRef<HostServerData> data;
};

class PluginHost {
public:
    // Starts the window thread, which creates the host window, loads the plugin and calls its
    // init export. Unloads the plugin there (if still loaded) and ends the thread when it goes,
    // or by itself after lifetime, so a test that never lets it go cannot keep it forever.
    explicit PluginHost(std::chrono::seconds lifetime = std::chrono::seconds(150));
    ~PluginHost();

    // A command to the command window, sent from the calling thread as the host does.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(commandWindow, message, wParam, lParam);
    }
    // The ping export, on the calling thread (never the window thread).
    int Ping(VtHandle& handle) const { return ping_(&handle); }
    // Runs work on the window thread and waits for it.
    void OnWindowThread(const std::function<void()>& work) const;
    HWND Init(HWND parent) const;   // the init export again, on the window thread
    HWND CreateHostWindow() const;  // another window of the window thread
    void Unload();                  // FreeLibrary on the window thread
    // Command 1036 for server; the network message window it made, or null.
    HWND CreateSession(TestServer& server) const;
    // The plugin's network message windows (dialogs) that are children of parent.
    std::vector<HWND> NetworkWindows(HWND parent) const;

    HWND hostWindow = nullptr;
    HWND commandWindow = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> forwarded;  // message 1124 as the host window got it

private:
    static LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HMODULE module_ = nullptr;
    InitVantorProtocol init_ = nullptr;
    PingVantorProtocol ping_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<DWORD> windowThread_{0};
    std::thread thread_;
};

// Records the destruction of each window in names as "window.Destroy(<name>)" in journal.
// Installed for the calling thread: call it on the window thread.
void RecordWindowDestruction(std::shared_ptr<CallJournal> journal, std::map<HWND, std::wstring> names);

// Journal lines written as one text, separated by '|'.
std::vector<std::wstring> Calls(const std::wstring& lines);

// How long work took, in seconds.
template <class Work>
double Timed(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace integration
