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

class SeatWatchBar final : public Pane {
public:
    struct Handlers {
        std::function<void(ServerId)> ping;    // ping the server alone (PluginSide::Check)
        std::function<void(ServerId)> launch;  // start the game on it through the plugin
        std::function<void(const std::wstring&)> log;
    };

    // rows outlives the bar.
    SeatWatchBar(HWND parent, int id, const std::vector<ServerRow>& rows, Handlers handlers);

    // Watches server; a watch running before is stopped.
    void Start(ServerId server, SeatWatchPlan plan);
    // A ping of row ended, the watch's own when checked.
    void Answered(const ServerRow& row, bool checked);
    // The watch's own ping ended without a result: the server left the list.
    void CheckFailed(ServerId server);
    // The server left the list: its watch stops.
    void Forget(ServerId server);

private:
    void OnCommand(int id, int code) override;
    void OnTimer(UINT_PTR timer) override;
    void OnSize(int width, int height) override;
    void Act(WatchStep step);
    void Stop(const wchar_t* why);
    void ShowLine();
    const ServerRow* Row() const;

    const std::vector<ServerRow>& rows_;
    Handlers handlers_;
    std::optional<SeatWatch> watch_;
    ServerRow lastRow_;  // the watched server as last seen, for the line once it left the list
};
