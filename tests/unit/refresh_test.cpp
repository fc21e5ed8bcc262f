#include "runner/refresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using ::testing::Each;
using ::testing::SizeIs;

namespace {

TEST(Refresh, PingsEachServerCountTimesNeverTwiceAtOnceWithinWorkerLimit) {
    constexpr size_t kServers = 12;
    constexpr int kCount = 3;
    constexpr int kWorkers = 4;
    std::vector<std::atomic<int>> busy(kServers);
    std::vector<std::atomic<int>> calls(kServers);
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    std::atomic<bool> overlap{false};
    std::vector<size_t> progress;

    const RefreshTimes times = RefreshServers(
        kServers, kCount, WorkerPlan{kWorkers, kWorkers},
        [&](size_t server) {
            if (busy[server]++ != 0) overlap = true;
            const int now = ++running;
            for (int seen = mostRunning; now > seen && !mostRunning.compare_exchange_weak(seen, now);) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ++calls[server];
            --running;
            --busy[server];
        },
        [&](size_t done) { progress.push_back(done); });

    EXPECT_FALSE(overlap);
    EXPECT_LE(mostRunning, kWorkers);
    EXPECT_GT(mostRunning, 1) << "pings ran one after another";
    for (const auto& count : calls) EXPECT_EQ(count, kCount);
    EXPECT_THAT(times.pingMs, SizeIs(kServers));
    EXPECT_THAT(times.pingMs, Each(SizeIs(kCount)));
    for (const auto& durations : times.pingMs) EXPECT_THAT(durations, Each(::testing::Ge(4.0)));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), kServers);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_GT(times.wallSeconds, 0.0);
}

// Pings that wait on their servers stop holding workers back: the pool grows past its workers,
// up to its bound, and the waiting pings overlap.
TEST(Refresh, WaitingPingsLetMoreWorkersStartUpToTheBound) {
    constexpr size_t kServers = 16;
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    const RefreshTimes times = RefreshServers(
        kServers, 1, WorkerPlan{2, 5},
        [&](size_t server) {
            const int now = ++running;
            for (int seen = mostRunning; now > seen && !mostRunning.compare_exchange_weak(seen, now);) {
            }
            // Every fourth server is silent for a while; the rest answer at once.
            std::this_thread::sleep_for(std::chrono::milliseconds(server % 4 == 0 ? 600 : 1));
            --running;
        },
        [](size_t) {});

    EXPECT_GT(times.mostThreads, 2);
    EXPECT_LE(times.mostThreads, 5);
    EXPECT_GT(mostRunning, 2) << "waiting pings did not overlap";
    EXPECT_THAT(times.pingMs, Each(SizeIs(1)));
}

TEST(Refresh, NoServersNoPings) {
    int pings = 0;
    const RefreshTimes times = RefreshServers(
        0, 1, WorkerPlan{4, 4}, [&](size_t) { ++pings; }, [](size_t) {});
    EXPECT_EQ(pings, 0);
    EXPECT_TRUE(times.pingMs.empty());
}

}  // namespace
