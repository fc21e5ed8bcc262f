#include "host/runner/plugin_runner_win.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#include "common/owners/unique_resource.h"
#include "host/runner/dialog_windows_win.h"
#include "host/text/system_message_win.h"
#include "host/text/utf8_text.h"

namespace {

// An export's address as the function type the contract gives it.
template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Counts the dialogs among the windows it is shown: the plugin's network windows (a WNDENUMPROC).
BOOL CALLBACK CountPluginWindow(HWND window, LPARAM count) {
    if (IsDialogWindow(window)) ++*reinterpret_cast<size_t*>(count);
    return TRUE;
}

// Closes the plugin's message boxes among the windows it is shown (a WNDENUMPROC).
BOOL CALLBACK CloseShownDialog(HWND window, LPARAM) {
    if (IsDialogWindow(window) && IsWindowVisible(window)) PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

// The system's description of an error code, or its number when it has none.
std::string SystemErrorText(DWORD code) {
    const std::wstring message = SystemMessage(code);
    return message.empty() ? "error " + std::to_string(code) : Utf8FromWide(message);
}

bool ChangesSessions(UINT command) {
    return command == CMD_RELEASE_ALL || command == CMD_CREATE_SESSION || command == CMD_REMOVE_SESSION;
}

}  // namespace

PluginRunner::PluginRunner(const std::wstring& pluginPath) {
    const std::string where = "'" + Utf8FromWide(pluginPath) + "'";
    std::string failure;
    thread_.Run([&] {
        module_.reset(LoadLibraryW(pluginPath.c_str()));
        if (!module_) {
            failure = "cannot load the plugin " + where + ": " + SystemErrorText(GetLastError());
            return;
        }
        init_ = Export<InitVantorProtocol>(module_.get(), InitExportName);
        ping_ = Export<PingVantorProtocol>(module_.get(), PingExportName);
        if (!init_ || !ping_) {
            failure =
                where + " is not a Vantor 3.5 plugin: it lacks " + InitExportName + " or " + PingExportName;
            return;
        }
        init_(thread_.Window(), 0, &commandWindow_);
        if (!commandWindow_) failure = "the plugin " + where + " gave no command window";
        loaded_ = failure.empty();
    });
    if (!failure.empty()) {
        Unload();
        throw PluginLoadError(failure);
    }
}

PluginRunner::~PluginRunner() {
    Unload();
}

LRESULT PluginRunner::Send(UINT command, WPARAM wParam, LPARAM lParam) {
    std::unique_lock<std::shared_mutex> noPings(sessionsChange_, std::defer_lock);
    if (ChangesSessions(command)) noPings.lock();
    if (!loaded_) return 0;
    return SendMessageW(commandWindow_, command, wParam, lParam);
}

void PluginRunner::AddSession(HostedServer& server) {
    SessionCreateRecord record = server.Record();
    Send(CMD_CREATE_SESSION, reinterpret_cast<WPARAM>(&record));
}

void PluginRunner::RemoveSession(HostedServer& server) {
    Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&server.handle));
}

HWND PluginRunner::Init(HWND parent) {
    HWND window = nullptr;
    thread_.Run([&] {
        if (loaded_) init_(parent, 0, &window);
    });
    return window;
}

int PluginRunner::Ping(HostedServer& server) {
    // On the window thread the ping would wait for notifications that thread can no longer
    // dispatch, and end as a timeout whatever the server did.
    if (thread_.IsCurrent()) throw std::logic_error("a ping on the plugin's window thread");
    std::shared_lock<std::shared_mutex> sessionsStay(sessionsChange_);
    return PingHeld(server);
}

int PluginRunner::PingHeld(HostedServer& server) {
    std::lock_guard<std::mutex> once(server.pinging);
    return loaded_ ? ping_(&server.handle) : 0;
}

RefreshTimes PluginRunner::PingAll(const std::vector<HostedServer*>& servers, int count, WorkerPlan workers,
                                   const PingWork& work) {
    if (thread_.IsCurrent()) throw std::logic_error("pings on the plugin's window thread");
    // Held once for all the pings, not taken by each: the workers would queue for the lock itself.
    std::shared_lock<std::shared_mutex> sessionsStay(sessionsChange_);
    PingWork held = work;
    held.ping = [&](size_t index) { PingHeld(*servers[index]); };
    return RefreshServers(servers.size(), count, workers, held);
}

void PluginRunner::CloseShownDialogs() {
    EnumThreadWindows(thread_.ThreadId(), CloseShownDialog, 0);
}

void PluginRunner::AddSessions(const std::vector<HostedServer*>& servers) {
    std::unique_lock<std::shared_mutex> noPings(sessionsChange_);
    thread_.Run([&] {
        for (HostedServer* server : servers) {
            if (!loaded_) return;
            SessionCreateRecord record = server->Record();
            SendMessageW(commandWindow_, CMD_CREATE_SESSION, reinterpret_cast<WPARAM>(&record), 0);
        }
    });
}

void PluginRunner::RemoveSessions(const std::vector<HostedServer*>& servers) {
    std::unique_lock<std::shared_mutex> noPings(sessionsChange_);
    thread_.Run([&] {
        for (HostedServer* server : servers) {
            if (!loaded_) return;
            SendMessageW(commandWindow_, CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&server->handle), 0);
        }
    });
}

size_t PluginRunner::PluginWindowCount() {
    size_t count = 0;
    thread_.Run(
        [&] { EnumChildWindows(thread_.Window(), CountPluginWindow, reinterpret_cast<LPARAM>(&count)); });
    return count;
}

void PluginRunner::Unload() {
    std::unique_lock<std::shared_mutex> noPings(sessionsChange_);
    // FreeLibrary where the plugin's windows live: its detach destroys them.
    loaded_ = false;
    thread_.Run([this] { module_.reset(); });
    init_ = nullptr;
    ping_ = nullptr;
}

std::wstring PluginBesideProgram() {
    std::vector<wchar_t> path(MAX_PATH);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            const std::wstring program(path.data(), length);
            return program.substr(0, program.find_last_of(L"\\/") + 1) + L"Tribes.vtplugin";
        }
        path.resize(path.size() * 2);
    }
    return L"Tribes.vtplugin";
}
