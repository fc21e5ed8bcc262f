// vtbrowse's side of the plugin: the runner and its refresh engine, with one listed server per
// row of the model (it hears rows added and removed), and the lanes for commands away from the
// window's thread. The model asks for refreshes, checks and launches; what comes of them is queued
// and announced to the main window by one posted message (EventsMessage), which the window hands
// back here: the events go to the model a batch at a time, at most five times a second while a
// refresh runs (EventsTimer). The plugin's forward command (1124) reaches the main window as the
// host window, and comes here too: the side registers these with the window's routes.
//
// Sessions and refreshes are the engine's (runner/refresh_engine.h). Commands 1039 and 1124 go on
// a lane of their own, and so do launches: a launch whose game cannot start holds its lane until
// the user closes the plugin's message box, and nothing else waits behind it.
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "apps/vtbrowse/framework/part_routes_win.h"
#include "apps/vtbrowse/framework/posted_mailbox_win.h"
#include "apps/vtbrowse/model/browser_model.h"
#include "common/contract/host_window.h"
#include "host/runner/plugin_runner_win.h"
#include "host/runner/refresh_engine.h"
#include "host/runner/work_queue.h"

class PluginSide final : private ModelObserver {
public:
    static constexpr UINT EventsMessage = WM_APP + 1;
    static constexpr UINT_PTR EventsTimer = 1;

    // Loads the plugin (PluginLoadError when it cannot), then lists every row the model adds, with
    // a ping budget of timeoutSeconds, until destroyed. window is the main window: the plugin's
    // host window, and where the events are announced (its routes bring them back). Lists longer
    // than mostSessions (0: the runner's default) are refreshed in batches.
    PluginSide(const std::wstring& pluginPath, size_t mostSessions, int timeoutSeconds, BrowserModel& model,
               HWND window, PartRoutes& routes);
    // Cancels the refresh, closes a message box the plugin still shows, waits for the lanes and
    // unloads the plugin. Called on the window's thread, whose sent messages it takes meanwhile.
    ~PluginSide();
    PluginSide(const PluginSide&) = delete;
    PluginSide& operator=(const PluginSide&) = delete;

    // A refresh of servers; called while none runs.
    void Refresh(const std::vector<ServerId>& servers);
    // Starts no new ping of the refreshes asked for so far; the pings running end by themselves.
    void Cancel();
    // Pings one server on its kept session, behind the jobs asked before (a refresh running among
    // them), apart from the window's refreshes: a seat watch's look, a quick connect's.
    void Check(ServerId server);
    // Starts the game on server with join's settings and the values of the options it offered, by id.
    void Join(ServerId server, const JoinSettings& join, const std::map<int, std::wstring>& optionValues);
    // Command 1039 with the host's menu object; the plugin's answer goes to the log.
    void OpenPluginMenu(ServerId server);
    // Command 1124 with the main window as the host window; its lParam is the server's id.
    void HandBack(ServerId server);

private:
    // The main window as the plugin's host window.
    struct HostWindow final : VtHostWindow {
        HWND GetWindowHandle() override { return window; }
        HWND window = nullptr;
    };

    // Servers added while a refresh runs get their sessions once it ends (see RefreshEngine).
    void Changed(const ModelChange& change) override;
    void Log(std::wstring text);
    // The main window's EventsMessage, EventsTimer and CMD_FORWARD, routed here.
    void TakeEvents(bool waited);
    void Forwarded(WPARAM record, LPARAM server);

    PluginRunner runner_;
    const size_t mostSessions_;
    const int timeoutSeconds_;
    BrowserModel& model_;
    VtPluginMenu menu_;
    HostWindow host_;

    PostedMailbox<SideEvent> events_;
    std::chrono::steady_clock::time_point lastTaken_;
    std::atomic<size_t> listed_{0};
    PartRoutes::Taken routed_;

    // Declared last: they end first, before the runner unloads the plugin; the lanes before the
    // engine they hand commands on to.
    std::optional<RefreshEngine> engine_;
    std::optional<WorkQueue> commands_;
    std::optional<WorkQueue> launches_;
};
