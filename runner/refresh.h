// Pinging many servers at once: a pool of worker threads, each server pinged by one worker at a
// time (the plugin must never run two pings of one server together).
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

struct RefreshTimes {
    std::vector<std::vector<double>> pingMs;  // per server, the duration of each ping call
    double wallSeconds = 0;                   // from the first ping's start to the last one's end
    int mostThreads = 0;                      // workers that ran at once, at the most
};

// How many workers ping at once. A ping mostly waits for its server, so the pool may grow: a
// ping still running after WaitingAfterMilliseconds waits for a server that is slow or silent,
// and stops counting against workers; another worker starts in its place, up to mostThreads.
// With mostThreads equal to workers the pool is fixed.
struct WorkerPlan {
    int workers = 1;
    int mostThreads = 1;
};
constexpr int WaitingAfterMilliseconds = 250;

// Pings every server count times in a row (ping(i) for server i) on the plan's workers.
// progress(done) is called on the calling thread at least ten times a second and once all are
// done, with the number of servers whose pings are all done.
RefreshTimes RefreshServers(size_t servers, int count, WorkerPlan plan,
                            const std::function<void(size_t)>& ping,
                            const std::function<void(size_t)>& progress);
