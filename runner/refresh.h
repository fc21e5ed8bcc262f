// Pinging many servers at once: a pool of worker threads, each server pinged by one worker at a
// time (the plugin must never run two pings of one server together).
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

struct RefreshTimes {
    std::vector<std::vector<double>> pingMs;  // per server, the duration of each ping call
    double wallSeconds = 0;                   // from the first ping's start to the last one's end
};

// Pings every server count times in a row (ping(i) for server i) on workers threads.
// progress(done) is called on the calling thread after each finished server and at least ten
// times a second, with the number of servers whose pings are all done.
RefreshTimes RefreshServers(size_t servers, int count, int workers, const std::function<void(size_t)>& ping,
                            const std::function<void(size_t)>& progress);
