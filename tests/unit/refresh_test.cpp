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
        kServers, kCount, kWorkers,
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

TEST(Refresh, NoServersNoPings) {
    int pings = 0;
    const RefreshTimes times = RefreshServers(
        0, 1, 4, [&](size_t) { ++pings; }, [](size_t) {});
    EXPECT_EQ(pings, 0);
    EXPECT_TRUE(times.pingMs.empty());
}

}  // namespace
