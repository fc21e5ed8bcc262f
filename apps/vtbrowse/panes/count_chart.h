// The small chart of a server's player count over the refreshes of this run: where its lines go
// in a box of a given size. A ping without answer leaves a gap. Portable: tested natively.
#pragma once

#include <vector>

#include "apps/vtbrowse/model/server_rows.h"

struct ChartPoint {
    int x = 0;
    int y = 0;  // 0 at the top
};

struct ChartLayout {
    int top = 1;  // the count at the top edge: the server's limit, or the highest count seen
    // Runs of consecutive answers; a run of one point is drawn as a dot.
    std::vector<std::vector<ChartPoint>> runs;
};

// The chart shows at most this many of the latest refreshes.
constexpr size_t ChartRefreshes = 60;

// history's latest points spread evenly over width (the latest at the right edge), counts scaled
// so that top reaches the upper edge and 0 the lower one.
ChartLayout LayOutChart(const std::vector<CountPoint>& history, int maxPlayers, int width, int height);
