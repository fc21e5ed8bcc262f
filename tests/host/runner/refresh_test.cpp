#include "host/runner/refresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using ::testing::Each;
using ::testing::SizeIs;

namespace {

TEST(Refresh, PingsEachServerCountTimesNeverTwiceAtOnceWithinWorkerLimit) {
    constexpr size_t Servers = 12;
    constexpr int Count = 3;
    constexpr int Workers = 4;
    std::vector<std::atomic<int>> busy(Servers);
    std::vector<std::atomic<int>> calls(Servers);
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    std::atomic<bool> overlap{false};
    std::vector<size_t> progress;

    PingWork work;
    work.ping = [&](size_t server) {
        if (busy[server]++ != 0) overlap = true;
        const int now = ++running;
        for (int seen = mostRunning; now > seen && !mostRunning.compare_exchange_weak(seen, now);) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ++calls[server];
        --running;
        --busy[server];
    };
    work.progress = [&](size_t done) { progress.push_back(done); };
    // The plan a host asks for by number: exactly that many workers.
    const RefreshTimes times = RefreshServers(Servers, Count, RefreshWorkers(Workers, 64), work);

    EXPECT_FALSE(overlap);
    EXPECT_LE(mostRunning, Workers);
    EXPECT_GT(mostRunning, 1) << "pings ran one after another";
    for (const auto& count : calls) EXPECT_EQ(count, Count);
    EXPECT_THAT(times.pingMs, SizeIs(Servers));
    EXPECT_THAT(times.pingMs, Each(SizeIs(Count)));
    for (const auto& durations : times.pingMs) EXPECT_THAT(durations, Each(::testing::Ge(4.0)));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), Servers);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_GT(times.wallSeconds, 0.0);
    // No servers: no pings.
    progress.clear();
    EXPECT_TRUE(RefreshServers(0, Count, WorkerPlan{Workers, Workers}, work).pingMs.empty());
    for (const auto& count : calls) EXPECT_EQ(count, Count);
    EXPECT_TRUE(progress.empty() || progress.back() == 0);
}

// Pings that wait on their servers stop holding workers back: the pool grows past its workers,
// up to its bound, and the waiting pings overlap.
TEST(Refresh, WaitingPingsLetMoreWorkersStartUpToTheBound) {
    constexpr size_t Servers = 16;
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    PingWork work;
    work.ping = [&](size_t server) {
        const int now = ++running;
        for (int seen = mostRunning; now > seen && !mostRunning.compare_exchange_weak(seen, now);) {
        }
        // Every fourth server is silent for a while; the rest answer at once.
        std::this_thread::sleep_for(std::chrono::milliseconds(server % 4 == 0 ? 600 : 1));
        --running;
    };
    const RefreshTimes times = RefreshServers(Servers, 1, WorkerPlan{2, 5}, work);

    EXPECT_GT(times.mostThreads, 2);
    EXPECT_LE(times.mostThreads, 5);
    EXPECT_GT(mostRunning, 2) << "waiting pings did not overlap";
    EXPECT_THAT(times.pingMs, Each(SizeIs(1)));
}

}  // namespace
