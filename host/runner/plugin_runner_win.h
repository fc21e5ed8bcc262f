// The plugin as a host runs it. A window thread of the runner's loads the plugin, calls its init
// export with the thread's window as parent, and owns the plugin's command window and network
// windows, pumping their messages. Commands go to that thread; pings run on the callers' threads
// (a pool of them, for refreshes), never on it.
//
// The runner keeps the host's side of the plugin's contract in one place: no session is made or
// removed while any ping runs (the plugin's session registry has no lock), and no server is
// pinged by two threads at once.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/contract/commands.h"
#include "common/contract/plugin_exports.h"
#include "common/owners/unique_resource.h"
#include "host/runner/hosted_server.h"
#include "host/runner/plugin_sessions.h"
#include "host/runner/refresh.h"
#include "host/runner/window_thread_win.h"

// The plugin could not be loaded or initialised; what() says why, for the user.
struct PluginLoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class PluginRunner final : public PluginSessions {
public:
    // Loads the plugin and opens its command window. Throws PluginLoadError when the file cannot
    // be loaded, lacks an export or gives no window.
    explicit PluginRunner(const std::wstring& pluginPath);
    // Unloads the plugin (which destroys the sessions still made), then ends the window thread.
    ~PluginRunner();
    PluginRunner(const PluginRunner&) = delete;
    PluginRunner& operator=(const PluginRunner&) = delete;

    HWND CommandWindow() const { return commandWindow_; }
    // The host's window the plugin was initialised with: the parent of its windows.
    HWND ParentWindow() const { return thread_.Window(); }
    HMODULE Module() const { return module_.get(); }
    const WindowThread& Thread() const { return thread_; }

    // A command to the command window, sent from the calling thread; its result. Commands that
    // make or remove sessions (1035, 1036, 1037) first wait until no ping runs. 0 once unloaded.
    LRESULT Send(UINT command, WPARAM wParam = 0, LPARAM lParam = 0);
    // Commands 1036 and 1037 for server.
    void AddSession(HostedServer& server);
    void RemoveSession(HostedServer& server);
    // The same for every server, sent from the window thread itself: one hop to that thread for
    // the lot, not one per server.
    void AddSessions(const std::vector<HostedServer*>& servers) override;
    void RemoveSessions(const std::vector<HostedServer*>& servers) override;
    // The plugin's windows that are children of its parent (its network windows).
    size_t PluginWindowCount() override;
    // The init export again, on the window thread, with another parent; the command window.
    HWND Init(HWND parent);

    // One ping of server on the calling thread, which must not be the window thread: the
    // export's result, 0 once unloaded. Waits while sessions are made or removed, and while
    // another thread pings server.
    int Ping(HostedServer& server);
    // Pings every server count times in a row on the plan's workers (see RefreshServers; work's
    // ping is this runner's); no session is made or removed until the last ping has ended.
    RefreshTimes PingAll(const std::vector<HostedServer*>& servers, int count, WorkerPlan workers,
                         const PingWork& work) override;
    // Closes the dialogs the plugin shows on the window thread (its message boxes), as their OK
    // button would.
    void CloseShownDialogs();

    // Unloads the plugin on the window thread; its detach destroys the sessions still made.
    void Unload();

private:
    // A ping, once the caller holds sessionsChange_ shared.
    int PingHeld(HostedServer& server);

    WindowThread thread_;
    owners::unique_module module_;
    // Whether the plugin is loaded, for threads that send commands while another unloads it.
    std::atomic<bool> loaded_{false};
    PingVantorProtocol ping_ = nullptr;
    InitVantorProtocol init_ = nullptr;
    HWND commandWindow_ = nullptr;
    // Shared by every ping, exclusive for whatever makes or removes sessions.
    std::shared_mutex sessionsChange_;
};

// Tribes.vtplugin in the folder of this program, where a host installs its plugins.
std::wstring PluginBesideProgram();
