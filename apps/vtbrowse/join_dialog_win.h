// The join dialog: the game's executable, the launch options the plugin offered for the server
// (their names as labels, their descriptions as hints), the player name and config file the host
// keeps under its own labels, and extra parameters with <address>.
#pragma once

#include <map>
#include <string>

#include "apps/vtbrowse/server_rows.h"
#include "apps/vtbrowse/settings_file.h"
#include "common/contract/windows_headers.h"

// How a seat watch waits, asked with the join's settings when the join is to wait for a seat.
struct SeatWatchAsk {
    int everySeconds = 5;    // 1 to 3600
    int giveUpMinutes = 10;  // 1 to 1440
};

// Shows the dialog for row, filled from join and optionValues; true, with both updated, when the
// user chose to join. With watch, the dialog asks for a seat watch's pace and time too (updated
// with the rest) and its button waits for a seat instead.
bool AskJoin(HWND owner, const ServerRow& row, JoinSettings& join, std::map<int, std::wstring>& optionValues,
             SeatWatchAsk* watch = nullptr);
// The same dialog filled from what settings keep for row (with waitForSeat, the seat watch's
// pace and time too); true, with settings updated, when the user chose to join.
bool AskJoinKept(HWND owner, const ServerRow& row, BrowserSettings& settings, bool waitForSeat);
