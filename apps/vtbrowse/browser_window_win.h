// vtbrowse's main window: it makes its parts (panes), places them and connects them to the server
// table and the plugin's side, and routes what the user asks for. It runs on the program's main
// thread; the plugin runs on the runner's threads and reaches it only
// through PluginSide's events and the forward command (1124) the plugin sends it.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/vtbrowse/browse_options.h"
#include "apps/vtbrowse/command_bar_win.h"
#include "apps/vtbrowse/detail_pane_win.h"
#include "apps/vtbrowse/filter_pane_win.h"
#include "apps/vtbrowse/find_player_win.h"
#include "apps/vtbrowse/friends_pane_win.h"
#include "apps/vtbrowse/handed_back_line_win.h"
#include "apps/vtbrowse/handover_receipt_win.h"
#include "apps/vtbrowse/joining_win.h"
#include "apps/vtbrowse/log_pane_win.h"
#include "apps/vtbrowse/masters_pane_win.h"
#include "apps/vtbrowse/plugin_pane_win.h"
#include "apps/vtbrowse/quick_connect_win.h"
#include "apps/vtbrowse/refresh_status_win.h"
#include "apps/vtbrowse/seat_watch_bar_win.h"
#include "apps/vtbrowse/server_commands_win.h"
#include "apps/vtbrowse/server_list_view_win.h"
#include "apps/vtbrowse/server_table.h"
#include "apps/vtbrowse/settings_file.h"
#include "common/contract/host_window.h"
#include "common/owners/unique_resource.h"

struct BrowserStart {
    BrowseOptions options;
    std::filesystem::path settingsPath;
    std::wstring pluginPath;
    bool quitOnClose = true;  // closing the window ends the message loop
    int show = SW_SHOWDEFAULT;
    // Told of each balloon the notification area took (title, text): tests count them.
    std::function<void(const std::wstring&, const std::wstring&)> notified;
};

// The main window as the plugin's host window (command 1124).
class MainHostWindow final : public VtHostWindow {
public:
    HWND GetWindowHandle() override { return window; }
    HWND window = nullptr;
};

class BrowserWindow {
public:
    // Makes and shows the window, loads the plugin, adds the servers of the settings and of the
    // command line and starts their first refresh. A plugin that cannot be loaded, a settings
    // file or server list with unusable lines: the window opens and its log says so.
    explicit BrowserWindow(BrowserStart start);
    // Cancels a refresh, waits for what runs in the plugin, unloads it, destroys the window.
    ~BrowserWindow();
    BrowserWindow(const BrowserWindow&) = delete;
    BrowserWindow& operator=(const BrowserWindow&) = delete;

    HWND Window() const { return window_.get(); }
    // For the message loop: true when message was taken by dialog keys, accelerators or the
    // find window, and must not be dispatched again.
    bool PreTranslate(MSG& message);

    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void CreateParts();
    void Layout();
    // The window moved to a display of another scale: the font and every size made for dpi, the
    // window in suggested (the system's rectangle for it, in screen pixels).
    void Rescale(int dpi, const RECT& suggested);

    // What a command line asks beyond the servers it names, at start and from a later start:
    // its list files imported, a server selected, the list saved and refreshed, one joined.
    void TakeCommandLine(const BrowseOptions& options);
    // A later start's command line (HandoverReceipt), taken as this start's was.
    void TakeHandedOver(const std::vector<std::string>& arguments);
    void OnCommand(int id);
    // What a batch of the plugin side's events did, passed on to the parts.
    void Taken(const SideBatch& batch);
    void OnClose();

    PluginSide* Side() const { return plugin_ ? plugin_->Side() : nullptr; }  // null: no plugin
    bool Refreshing() const { return plugin_ && plugin_->Refreshing(); }
    void SelectServer(ServerId id);
    void ShowDetails();
    void UpdateList();
    void UpdateStatus();
    void Save();

    BrowserStart start_;
    BrowserSettings settings_;
    // Before the parts, which hear it until they go.
    ServerTable table_;
    bool started_ = false;       // the constructor has listed the servers of the settings file
    bool refreshAfter_ = false;  // every server is refreshed once the running refresh ends

    MainHostWindow hostWindow_;
    owners::unique_window_class mainClass_;
    owners::unique_window_class chartClass_;
    HACCEL accelerators_ = nullptr;   // from the resources: nothing to destroy
    int dpi_ = 96;                    // the window's; every size is made for it
    owners::unique_gdi_object font_;  // the message font at dpi_, every control's
    owners::unique_hwnd window_;
    // The parts; the system destroys their windows with the main window.
    std::unique_ptr<CommandBar> commands_;
    std::unique_ptr<ServerListView> list_;
    std::unique_ptr<HandedBackLine> handedBack_;  // empty until the plugin passes a server back
    std::unique_ptr<DetailPane> details_;
    std::unique_ptr<LogPane> log_;
    std::unique_ptr<RefreshStatus> status_;
    std::unique_ptr<FilterPane> filters_;
    std::unique_ptr<QuickConnect> quick_;
    std::unique_ptr<SeatWatchBar> seats_;
    std::unique_ptr<Joining> joining_;
    std::unique_ptr<ServerCommands> servers_;
    std::unique_ptr<FriendsPane> friends_;
    std::unique_ptr<MastersPane> masters_;
    std::unique_ptr<FindPlayerWindow> find_;
    std::unique_ptr<PluginPane> plugin_;
    std::unique_ptr<HandoverReceipt> receipt_;
};
