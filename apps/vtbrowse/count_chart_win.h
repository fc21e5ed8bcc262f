// The player-count chart of the details pane: a child window that draws a server's history of
// this run (LayOutChart) with its scale.
#pragma once

#include <vector>

#include "apps/vtbrowse/server_rows.h"
#include "contract/windows_headers.h"
#include "owners/unique_resource.h"

class CountChart {
public:
    // Registers the chart's window class for the program; once, before any chart is made.
    static owners::unique_window_class RegisterClass();
    // The chart as a child of parent with id.
    static HWND Create(HWND parent, int id);
    // What chart shows: history, scaled to the server's limit. Repaints it.
    static void Show(HWND chart, std::vector<CountPoint> history, int maxPlayers);
};
