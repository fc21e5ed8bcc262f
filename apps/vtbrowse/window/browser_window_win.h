// vtbrowse's main window: it makes the model and the parts (panes, the window's commands, the
// plugin's side, the master fetch, the hand-over receipt), places the panes and connects the parts
// to the model, nothing more; the parts that own no window register their messages with its
// routes. It runs on the program's main thread; the plugin runs on the runner's threads and
// reaches it only through the plugin side's events and the forward command (1124) the plugin
// sends it as the host window.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/vtbrowse/command_line/browse_options.h"
#include "apps/vtbrowse/command_line/handover_receipt_win.h"
#include "apps/vtbrowse/dialogs/window_commands_win.h"
#include "apps/vtbrowse/framework/frame_win.h"
#include "apps/vtbrowse/framework/part_routes_win.h"
#include "apps/vtbrowse/model/browser_model.h"
#include "apps/vtbrowse/panes/command_pane_win.h"
#include "apps/vtbrowse/panes/detail_pane_win.h"
#include "apps/vtbrowse/panes/filter_pane_win.h"
#include "apps/vtbrowse/panes/friends_pane_win.h"
#include "apps/vtbrowse/panes/handed_back_pane_win.h"
#include "apps/vtbrowse/panes/log_pane_win.h"
#include "apps/vtbrowse/panes/masters_pane_win.h"
#include "apps/vtbrowse/panes/quick_connect_pane_win.h"
#include "apps/vtbrowse/panes/seat_watch_pane_win.h"
#include "apps/vtbrowse/panes/server_list_pane_win.h"
#include "apps/vtbrowse/panes/status_pane_win.h"
#include "apps/vtbrowse/plugin_side/master_fetch_win.h"
#include "apps/vtbrowse/plugin_side/plugin_side_win.h"

struct BrowserStart {
    BrowseOptions options;
    std::filesystem::path settingsPath;
    std::wstring pluginPath;
    bool quitOnClose = true;  // closing the window ends the message loop
    int show = SW_SHOWDEFAULT;
    // Told of each balloon the notification area took (title, text): tests count them.
    std::function<void(const std::wstring&, const std::wstring&)> notified;
};

class BrowserWindow final : public Frame, private ModelRequests {
public:
    // Makes and shows the window, loads the plugin, adds the servers of the settings and of the
    // command line and starts their first refresh. A plugin that cannot be loaded, a settings
    // file or server list with unusable lines: the window opens and its log says so.
    explicit BrowserWindow(BrowserStart start);
    // Cancels a refresh, waits for what runs in the plugin, unloads it, destroys the window.
    ~BrowserWindow();
    BrowserWindow(const BrowserWindow&) = delete;
    BrowserWindow& operator=(const BrowserWindow&) = delete;

    // For the message loop: true when message was taken by the find window, the accelerators or
    // the dialog keys, and must not be dispatched again.
    bool PreTranslate(MSG& message);

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    bool PartsMade() const;
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    void Refresh(const std::vector<ServerId>& servers) override { side_->Refresh(servers); }
    void CancelRefresh() override { side_->Cancel(); }
    void Check(ServerId server) override { side_->Check(server); }
    void Launch(ServerId server, const JoinSettings& join,
                const std::map<int, std::wstring>& optionValues) override {
        side_->Join(server, join, optionValues);
    }
    void FetchMasters(const std::vector<ServerAddress>& masters) override { fetch_->Start(masters); }
    void CancelFetch() override { fetch_->Cancel(); }
    void AskJoin(ServerId server) override;

    BrowserStart start_;
    BrowserModel model_;  // before the parts, which hear it until they go
    owners::unique_window_class mainClass_;
    owners::unique_window_class chartClass_;
    PartRoutes routes_;  // before the parts, which register with it until they go
    // The parts, made in the order a reader meets them; the system destroys their windows with
    // the main window.
    std::unique_ptr<CommandPane> commands_;
    std::unique_ptr<FilterPane> filters_;
    std::unique_ptr<QuickConnectPane> quick_;
    std::unique_ptr<MastersPane> masters_;
    std::unique_ptr<ServerListPane> list_;
    std::unique_ptr<SeatWatchPane> seats_;
    std::unique_ptr<HandedBackPane> handedBack_;
    std::unique_ptr<DetailPane> details_;
    std::unique_ptr<LogPane> log_;
    std::unique_ptr<FriendsPane> friends_;
    std::unique_ptr<StatusPane> status_;
    std::unique_ptr<WindowCommands> windowCommands_;
    std::unique_ptr<MasterFetch> fetch_;
    std::unique_ptr<PluginSide> side_;  // null when the plugin could not be loaded
    std::unique_ptr<HandoverReceipt> receipt_;
};
