// Joining a server as the user asks: the join dialog filled from what the settings keep, then the
// game starts through the plugin's side, or the seat watch waits for a seat first. A server asked
// for by quick connect is joined once its check ended; a seat watch hears of its failed checks.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "apps/vtbrowse/plugin_pane_win.h"
#include "apps/vtbrowse/quick_connect_win.h"
#include "apps/vtbrowse/seat_watch_bar_win.h"

class Joining {
public:
    struct Handlers {
        std::function<void(const wchar_t*)> hint;  // for the status bar
        std::function<void(const std::wstring&)> log;
        std::function<void()> save;  // the dialog changed the settings
    };

    // The dialogs belong to owner; everything given outlives this.
    Joining(HWND owner, const ServerTable& table, BrowserSettings& settings, const PluginPane& plugin,
            SeatWatchBar& seats, QuickConnect& quick, Handlers handlers);

    // The join dialog for id; then the game starts, or with waitForSeat, a seat watch.
    void Join(ServerId id, bool waitForSeat);
    // Starts the game on id with the settings kept.
    void Launch(ServerId id);
    // Checks that ended (the server, whether it answered) told to the seat watch and quick
    // connect; the server quick connect waited for, to be joined now, or 0.
    ServerId ChecksEnded(const std::vector<std::pair<ServerId, bool>>& checks);

private:
    HWND owner_;
    const ServerTable& table_;
    BrowserSettings& settings_;
    const PluginPane& plugin_;
    SeatWatchBar& seats_;
    QuickConnect& quick_;
    Handlers handlers_;
};
