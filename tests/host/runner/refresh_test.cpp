#include "host/runner/refresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using ::testing::Each;
using ::testing::SizeIs;

namespace {

// Each server pinged count times, never twice at once. The plan a host asks for by number runs
// exactly that many workers; pings that wait on their servers (every fourth silent for a while)
// stop holding workers back: the pool grows past its workers, up to its bound, and they overlap.
TEST(Refresh, PingsEachServerCountTimesNeverTwiceAtOnceWithinWorkersAndBound) {
    const struct {
        size_t servers;
        int count;
        WorkerPlan plan;
        bool silentOnes;
        int leastRunning, mostRunning;
    } cases[] = {{12, 3, RefreshWorkers(4, 64), false, 2, 4}, {16, 1, WorkerPlan{2, 5}, true, 3, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.servers);
        std::vector<std::atomic<int>> busy(c.servers), calls(c.servers);
        std::atomic<int> running{0}, mostRunning{0};
        std::atomic<bool> overlap{false};
        std::vector<size_t> progress;
        PingWork work;
        work.ping = [&](size_t server) {
            if (busy[server]++ != 0) overlap = true;
            const int now = ++running;
            for (int seen = mostRunning; now > seen && !mostRunning.compare_exchange_weak(seen, now);) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(c.silentOnes && server % 4 == 0 ? 600 : 5));
            ++calls[server];
            --running;
            --busy[server];
        };
        work.progress = [&](size_t done) { progress.push_back(done); };
        const RefreshTimes times = RefreshServers(c.servers, c.count, c.plan, work);

        EXPECT_FALSE(overlap);
        EXPECT_GE(mostRunning, c.leastRunning) << "pings ran one after another";
        EXPECT_LE(mostRunning, c.mostRunning);
        EXPECT_GE(times.mostThreads, c.leastRunning);
        EXPECT_LE(times.mostThreads, c.mostRunning);
        for (const auto& count : calls) EXPECT_EQ(count, c.count);
        EXPECT_THAT(times.pingMs, SizeIs(c.servers));
        EXPECT_THAT(times.pingMs, Each(SizeIs(c.count)));
        for (const auto& durations : times.pingMs) EXPECT_THAT(durations, Each(::testing::Ge(4.0)));
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), c.servers);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_GT(times.wallSeconds, 0.0);
        // No servers: no pings.
        progress.clear();
        EXPECT_TRUE(RefreshServers(0, c.count, c.plan, work).pingMs.empty());
        for (const auto& count : calls) EXPECT_EQ(count, c.count);
        EXPECT_TRUE(progress.empty() || progress.back() == 0);
    }
}

}  // namespace
