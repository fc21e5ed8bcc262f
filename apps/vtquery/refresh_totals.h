// The totals of a refresh as vtquery reports them: outcomes and pings counted, and where the
// run's time went.
#pragma once

#include <cstddef>
#include <vector>

#include "apps/shared/server_result.h"

// Where a run's time went, in seconds; with batches each phase is the sum over the batches.
struct RunPhases {
    double loadSeconds = 0;     // the plugin loaded and initialised
    double createSeconds = 0;   // sessions made
    double refreshSeconds = 0;  // pings: from the first ping's start to the last one's end
    double removeSeconds = 0;   // sessions removed and the plugin unloaded
};

struct RefreshTotals {
    int servers = 0;
    int successes = 0;
    int timeouts = 0;
    int failures = 0;
    int pings = 0;
    RunPhases phases;
    size_t batches = 0;      // groups of sessions made, pinged and removed in turn
    size_t mostWindows = 0;  // the plugin's network windows alive at once, at the most
    int mostThreads = 0;     // ping workers at once, at the most
};

RefreshTotals CountOutcomes(const std::vector<ServerResult>& results);
// Adds the outcomes and pings of results (a batch) to totals.
void AddOutcomes(RefreshTotals& totals, const std::vector<ServerResult>& results);
