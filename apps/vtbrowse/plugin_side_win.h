// vtbrowse's side of the plugin: the runner and its refresh engine, with one listed server per
// row of the server table (it hears rows added and removed), and the lanes for commands away from
// the window's thread. The window asks; what comes of it arrives as events in a PostedMailbox.
// It keeps the tally of the window's refreshes: whether one runs, and how far it got.
//
// Sessions and refreshes are the engine's (runner/refresh_engine.h). Commands 1039 and 1124
// go on a lane of their own, and so do launches: a launch whose game cannot start holds its lane
// until the user closes the plugin's message box, and nothing else waits behind it.
#pragma once

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "apps/vtbrowse/posted_mailbox_win.h"
#include "apps/vtbrowse/refresh_tally.h"
#include "apps/vtbrowse/server_table.h"
#include "apps/vtbrowse/settings_file.h"
#include "common/contract/host_window.h"
#include "host/runner/plugin_runner_win.h"
#include "host/runner/refresh_engine.h"
#include "host/runner/work_queue.h"

struct SideEvent {
    enum class Kind {
        Offered,       // server's session was made: offered holds the launch options it offered
        Result,        // server was pinged: result holds what the ping left
        Progress,      // done of total servers of the running refresh have been pinged
        RefreshEnded,  // done of total pinged in seconds; cancelled when it stopped early; text: the tally's
                       // line
        Log,           // text for the log pane
        Checked,       // server's check ended: result holds what the ping left when done is 1
    };
    Kind kind = Kind::Log;
    ServerId server = 0;
    ServerResult result;
    std::vector<OfferedLaunchOption> offered;
    size_t done = 0;
    size_t total = 0;
    double seconds = 0;
    bool cancelled = false;
    std::wstring text;
};

class PluginSide final : private TableSubscriber {
public:
    // Loads the plugin (PluginLoadError when it cannot), then lists every row table adds, with a
    // ping budget of timeoutSeconds, until destroyed. Events are announced to window with message.
    // Lists longer than mostSessions (0: the runner's default) are refreshed in batches.
    PluginSide(const std::wstring& pluginPath, size_t mostSessions, int timeoutSeconds, ServerTable& table,
               HWND window, UINT message);
    // Cancels the refresh, closes a message box the plugin still shows, waits for the lanes and
    // unloads the plugin. Called on the window's thread, whose sent messages it takes meanwhile.
    ~PluginSide();
    PluginSide(const PluginSide&) = delete;
    PluginSide& operator=(const PluginSide&) = delete;

    // A refresh of servers, counted by the tally; called while none runs.
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
    // Command 1124 with window as the host window; lParam is the server's id.
    void HandBack(ServerId server, VtHostWindow& window);

    // The events so far, taken into the tally (results of servers still listed, progress, end).
    std::vector<SideEvent> TakeEvents();
    const RefreshTally& Tally() const { return tally_; }
    bool Refreshing() const { return tally_.Running(); }
    size_t MostSessions() const { return mostSessions_; }

private:
    // Servers added while a refresh runs get their sessions once it ends (see RefreshEngine).
    void RowsAdded(const AddedRows& servers) override;
    void RowsRemoved(const std::vector<ServerId>& servers) override;
    void Log(std::wstring text);

    PluginRunner runner_;
    const size_t mostSessions_;
    const int timeoutSeconds_;
    ServerTable& table_;
    VtPluginMenu menu_;

    PostedMailbox<SideEvent> events_;
    RefreshTally tally_;  // of the window's refreshes, on the window's thread
    std::atomic<size_t> listed_{0};

    // Declared last: they end first, before the runner unloads the plugin; the lanes before the
    // engine they hand commands on to.
    std::optional<RefreshEngine> engine_;
    std::optional<WorkQueue> commands_;
    std::optional<WorkQueue> launches_;
};
