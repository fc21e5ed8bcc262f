#include "host/runner/refresh.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::int64_t Now() {
    return Clock::now().time_since_epoch().count();
}

}  // namespace

WorkerPlan RefreshWorkers(int requested, unsigned processors) {
    if (requested > 0) return {requested, requested};
    return {static_cast<int>(std::clamp(processors * 16u, 32u, 64u)), 256};
}

RefreshTimes RefreshServers(size_t servers, int count, WorkerPlan plan, const PingWork& work) {
    RefreshTimes times;
    times.pingMs.assign(servers, {});
    const size_t workers =
        std::clamp<size_t>(static_cast<size_t>(std::max(plan.workers, 1)), 1, std::max<size_t>(servers, 1));
    const size_t mostThreads = std::clamp<size_t>(static_cast<size_t>(std::max(plan.mostThreads, 1)), workers,
                                                  std::max<size_t>(servers, 1));
    const auto stopped = [&] { return work.stopped && work.stopped(); };
    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    size_t done = 0;
    size_t ended = 0;  // workers that have taken their last server
    // When each worker's current ping began (0 between pings), for telling waiting ones apart.
    std::unique_ptr<std::atomic<std::int64_t>[]> pingStarted(new std::atomic<std::int64_t>[mostThreads]);
    for (size_t i = 0; i < mostThreads; ++i) pingStarted[i] = 0;

    // Each worker takes the next server and pings it count times; only it writes that server's
    // durations, so they need no lock.
    auto pingServers = [&](size_t worker) {
        for (size_t server = next++; server < servers && !stopped(); server = next++) {
            for (int round = 0; round < count; ++round) {
                const Clock::time_point start = Clock::now();
                pingStarted[worker] = Now();
                work.ping(server);
                pingStarted[worker] = 0;
                times.pingMs[server].push_back(MillisecondsSince(start));
            }
            if (work.pinged) work.pinged(server, times.pingMs[server]);
            std::lock_guard<std::mutex> hold(mutex);
            ++done;
        }
        std::lock_guard<std::mutex> hold(mutex);
        // The waiting thread looks ten times a second anyway; a worker's end wakes it, so the
        // list's end is seen at once.
        ++ended;
        changed.notify_one();
    };
    // Workers whose ping is not yet old enough to be waiting for its server.
    auto computing = [&](size_t started) {
        const std::int64_t waitingSince = Now() - std::chrono::duration_cast<Clock::duration>(
                                                      std::chrono::milliseconds(WaitingAfterMilliseconds))
                                                      .count();
        size_t busy = 0;
        for (size_t i = 0; i < started; ++i) {
            const std::int64_t since = pingStarted[i];
            if (since == 0 || since > waitingSince) ++busy;
        }
        return busy;
    };

    const Clock::time_point start = Clock::now();
    std::vector<std::thread> pool;
    pool.reserve(mostThreads);
    for (size_t i = 0; i < workers; ++i) pool.emplace_back(pingServers, i);
    {
        // The last report counts every server pinged: it is made after every worker had ended.
        std::unique_lock<std::mutex> hold(mutex);
        for (;;) {
            const size_t seen = done;
            const bool allEnded = ended == pool.size();
            hold.unlock();
            if (work.progress) work.progress(seen);
            while (!allEnded && pool.size() < mostThreads && next < servers && !stopped() &&
                   computing(pool.size()) < workers) {
                pool.emplace_back(pingServers, pool.size());
            }
            hold.lock();
            if (allEnded) break;
            changed.wait_for(hold, std::chrono::milliseconds(50));
        }
    }
    for (std::thread& thread : pool) thread.join();
    times.wallSeconds = MillisecondsSince(start) / 1000;
    times.mostThreads = static_cast<int>(pool.size());
    return times;
}
