#include "runner/refresh.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

RefreshTimes RefreshServers(size_t servers, int count, int workers, const std::function<void(size_t)>& ping,
                            const std::function<void(size_t)>& progress) {
    RefreshTimes times;
    times.pingMs.assign(servers, {});
    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    size_t done = 0;

    // Each worker takes the next server and pings it count times; only it writes that server's
    // durations, so they need no lock.
    auto work = [&] {
        for (size_t server = next++; server < servers; server = next++) {
            for (int round = 0; round < count; ++round) {
                const Clock::time_point start = Clock::now();
                ping(server);
                times.pingMs[server].push_back(MillisecondsSince(start));
            }
            std::lock_guard<std::mutex> hold(mutex);
            ++done;
            finished.notify_one();
        }
    };

    const Clock::time_point start = Clock::now();
    std::vector<std::thread> pool;
    const size_t threads = std::min<size_t>(std::max(workers, 1), std::max<size_t>(servers, 1));
    for (size_t i = 0; i < threads; ++i) pool.emplace_back(work);
    {
        // The last report always names every server: it is made after done was seen complete.
        std::unique_lock<std::mutex> hold(mutex);
        for (;;) {
            const size_t seen = done;
            hold.unlock();
            progress(seen);
            hold.lock();
            if (seen == servers) break;
            finished.wait_for(hold, std::chrono::milliseconds(100));
        }
    }
    for (std::thread& thread : pool) thread.join();
    times.wallSeconds = MillisecondsSince(start) / 1000;
    return times;
}
