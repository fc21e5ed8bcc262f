// The seat watch in the window: a line that says what the watch waits for (or how it ended) and
// a button to stop it. It keeps the watch (seat_watch.h) and its timer, asks for its pings and,
// the moment a seat frees, for the one launch; the window does both through the plugin's side.
// One watch at a time: the game can be started on one server only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/seat_watch.h"
#include "apps/vtbrowse/server_table.h"

class SeatWatchBar final : public Pane, private TableSubscriber {
public:
    struct Handlers {
        std::function<void(ServerId)> ping;    // ping the server alone (PluginSide::Check)
        std::function<void(ServerId)> launch;  // start the game on it through the plugin
        std::function<void(const std::wstring&)> log;
    };

    // Hears table (which outlives the bar) until destroyed.
    SeatWatchBar(HWND parent, int id, ServerTable& table, Handlers handlers);
    ~SeatWatchBar();

    // Watches server; a watch running before is stopped.
    void Start(ServerId server, SeatWatchPlan plan);
    // The watch's own ping ended without a result: the server left the list.
    void CheckFailed(ServerId server);

private:
    // A ping of row ended, the watch's own when alone.
    void RowAnswered(const ServerRow& row, bool alone) override;
    // The servers left the list: a watch of one of them stops.
    void RowsRemoved(const std::vector<ServerId>& ids) override;
    void OnCommand(int id, int code) override;
    void OnTimer(UINT_PTR timer) override;
    void OnSize(int width, int height) override;
    void Act(WatchStep step);
    void Stop(const wchar_t* why);
    void ShowLine();
    const ServerRow* Row() const;

    ServerTable& table_;
    Handlers handlers_;
    std::optional<SeatWatch> watch_;
    ServerRow lastRow_;  // the watched server as last seen, for the line once it left the list
};
