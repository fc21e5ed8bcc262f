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

// Worker threads for a refresh. requested > 0: exactly that many. Otherwise 16 per processor (32
// to 64) pinging at once, and as many more as servers keep waiting, up to 256: a silent server
// costs a worker its whole budget but no processor time, so it must not hold up the rest of the
// list.
WorkerPlan RefreshWorkers(int requested, unsigned processors);

// What a refresh does with each server, and what it tells as it goes. Only ping is required.
struct PingWork {
    std::function<void(size_t)> ping;  // one ping of server i
    // Server i's pings are all done, with their durations; on its worker.
    std::function<void(size_t, const std::vector<double>&)> pinged;
    // The number of servers whose pings are all done: on the calling thread, at least ten times a
    // second and once all are done.
    std::function<void(size_t)> progress;
    // Once true, no worker takes another server; the pings running end by themselves.
    std::function<bool()> stopped;
};

// Pings every server count times in a row on the plan's workers, until all are done or stopped.
RefreshTimes RefreshServers(size_t servers, int count, WorkerPlan plan, const PingWork& work);
