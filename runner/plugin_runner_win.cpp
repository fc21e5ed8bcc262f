#include "runner/plugin_runner_win.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#include "owners/unique_resource.h"
#include "runner/elapsed_seconds.h"

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), length, nullptr,
                        nullptr);
    return utf8;
}

// The system's description of an error code, or its number when it has none.
std::string SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const owners::unique_local_memory owned(buffer);
    std::wstring message(buffer ? buffer : L"", buffer ? length : 0);
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : Utf8(message);
}

// An export's address as the function type the contract gives it.
template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Counts the dialogs among the windows it is shown: the plugin's network windows (a WNDENUMPROC).
BOOL CALLBACK CountPluginWindow(HWND window, LPARAM count) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770") ++*reinterpret_cast<size_t*>(count);
    return TRUE;
}

bool ChangesSessions(UINT command) {
    return command == CMD_RELEASE_ALL || command == CMD_CREATE_SESSION || command == CMD_REMOVE_SESSION;
}

}  // namespace

PluginRunner::PluginRunner(const std::wstring& pluginPath) {
    const std::string where = "'" + Utf8(pluginPath) + "'";
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
                                   const std::function<void(size_t)>& progress) {
    if (thread_.IsCurrent()) throw std::logic_error("pings on the plugin's window thread");
    // Held once for all the pings, not taken by each: the workers would queue for the lock itself.
    std::shared_lock<std::shared_mutex> sessionsStay(sessionsChange_);
    return RefreshServers(
        servers.size(), count, workers, [&](size_t index) { PingHeld(*servers[index]); }, progress);
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

RefreshPhases PluginRunner::RefreshInBatches(
    size_t servers, const RefreshPlan& plan,
    const std::function<std::unique_ptr<HostedServer>(size_t)>& hosted, const BatchDone& batchDone,
    const std::function<void(size_t)>& progress) {
    RefreshPhases phases;
    const size_t batchSize = std::max<size_t>(plan.mostSessions, 1);
    for (size_t first = 0; first < servers; first += batchSize) {
        const size_t last = std::min(servers, first + batchSize);
        std::vector<std::unique_ptr<HostedServer>> batch;
        std::vector<HostedServer*> sessions;
        for (size_t index = first; index < last; ++index) {
            batch.push_back(hosted(index));
            sessions.push_back(batch.back().get());
        }
        phases.createSeconds += SecondsOf([&] { AddSessions(sessions); });
        if (plan.countWindows) phases.mostWindows = std::max(phases.mostWindows, PluginWindowCount());
        const RefreshTimes times =
            PingAll(sessions, plan.count, plan.workers, [&](size_t finished) { progress(first + finished); });
        phases.refreshSeconds += times.wallSeconds;
        phases.mostThreads = std::max(phases.mostThreads, times.mostThreads);
        phases.removeSeconds += SecondsOf([&] { RemoveSessions(sessions); });
        batchDone(first, batch, times);
        ++phases.batches;
    }
    return phases;
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
