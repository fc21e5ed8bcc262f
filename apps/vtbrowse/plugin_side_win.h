// vtbrowse's side of the plugin: the runner, one hosted server per listed server, and the lanes
// that talk to the plugin away from the window's thread. The window asks; what comes of it
// arrives as events, announced by one posted message until the window takes them.
//
// Lanes: sessions are made and removed, and refreshes run, one job after another on one lane,
// so no session changes while a ping runs (the plugin's registry has no lock) and the window
// never waits for either. Commands 1039 and 1124 go on a lane of their own, and so do launches:
// a launch whose game cannot start holds its lane until the user closes the plugin's message box,
// and nothing else waits behind it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "apps/vtbrowse/server_rows.h"
#include "apps/vtbrowse/settings_file.h"
#include "apps/vtbrowse/work_queue.h"
#include "contract/host_window.h"
#include "runner/plugin_runner_win.h"

struct SideEvent {
    enum class Kind {
        Offered,       // server's session was made: offered holds the launch options it offered
        Result,        // server was pinged: snapshot holds what the ping left
        Progress,      // done of total servers of the running refresh have been pinged
        RefreshEnded,  // done of total pinged in seconds; cancelled when it stopped early
        Log,           // text for the log pane
    };
    Kind kind = Kind::Log;
    ServerId server = 0;
    ServerSnapshot snapshot;
    std::vector<OfferedLaunchOption> offered;
    size_t done = 0;
    size_t total = 0;
    double seconds = 0;
    bool cancelled = false;
    std::wstring text;
};

// What a join hands the plugin through the server's entry.
struct JoinRequest {
    JoinSettings join;
    std::map<int, std::wstring> optionValues;  // the offered options' values, by id
};

class PluginSide {
public:
    // Loads the plugin (PluginLoadError when it cannot). Events are announced to window with
    // message. Lists longer than mostSessions (0: the runner's default) are refreshed in batches.
    PluginSide(const std::wstring& pluginPath, size_t mostSessions, HWND window, UINT message);
    // Cancels the refresh, closes a message box the plugin still shows, waits for the lanes and
    // unloads the plugin. Called on the window's thread, whose sent messages it takes meanwhile.
    ~PluginSide();
    PluginSide(const PluginSide&) = delete;
    PluginSide& operator=(const PluginSide&) = delete;

    void Add(const std::vector<std::pair<ServerId, ServerAddress>>& servers, int timeoutSeconds);
    void Remove(const std::vector<ServerId>& servers);
    void Refresh(const std::vector<ServerId>& servers);
    // Starts no new ping of the refreshes asked for so far; the pings running end by themselves.
    void Cancel();
    void Join(ServerId server, const JoinRequest& request);
    // Command 1039 with the host's menu object; the plugin's answer goes to the log.
    void OpenPluginMenu(ServerId server);
    // Command 1124 with window as the host window; lParam is the server's id.
    void HandBack(ServerId server, VtHostWindow& window);

    std::vector<SideEvent> TakeEvents();
    size_t MostSessions() const { return mostSessions_; }

private:
    struct Target {
        ServerId id;
        std::shared_ptr<HostedServer> server;
    };

    void Push(SideEvent event);
    void Log(std::wstring text);
    std::shared_ptr<HostedServer> Find(ServerId id) const;
    bool IsLive(ServerId id) const;
    bool Batched() const;  // more servers listed than sessions may live at once
    // On the sessions lane: sessions made or removed, the offered options announced.
    void MakeSessions(const std::vector<Target>& targets, bool lasting);
    void DropSessions(const std::vector<Target>& targets);
    void RunRefresh(const std::vector<ServerId>& ids, std::uint64_t sequence);
    void PingTargets(const std::vector<Target>& targets, std::uint64_t sequence, std::atomic<size_t>& done,
                     size_t total);
    // send on lane when the server has a session; otherwise on the sessions lane, inside a
    // session made for it and removed after.
    void Command(WorkQueue& lane, ServerId id, std::function<void(HostedServer&)> send);
    void CloseMessageBoxes();

    PluginRunner runner_;
    const size_t mostSessions_;
    const HWND window_;
    const UINT message_;
    VtPluginMenu menu_;

    mutable std::mutex mutex_;  // hosted_, live_, events_
    std::map<ServerId, std::shared_ptr<HostedServer>> hosted_;
    std::set<ServerId> live_;  // servers whose session stays made between refreshes
    std::vector<SideEvent> events_;
    std::atomic<bool> announced_{false};  // a message tells the window of events not yet taken

    std::atomic<std::uint64_t> refreshesAsked_{0};
    std::atomic<std::uint64_t> cancelledUpTo_{0};

    // Declared last: they end first, before the runner unloads the plugin.
    std::optional<WorkQueue> commands_;
    std::optional<WorkQueue> launches_;
    std::optional<WorkQueue> sessions_;
};
