#include "host/runner/refresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "host/runner/work_queue.h"

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::SizeIs;

namespace {

// Waits at most 5 s for done().
template <class Done>
bool WaitFor(Done done) {
    for (int i = 0; i < 500 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

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
    const RefreshTimes times = RefreshServers(Servers, Count, WorkerPlan{Workers, Workers}, work);

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

TEST(Refresh, WorkersFollowRequestAndMachine) {
    const struct {
        int requested;
        unsigned processors;
        int workers;
        int mostThreads;
    } cases[] = {{4, 2, 4, 4}, {0, 2, 32, 256}, {0, 3, 48, 256}, {0, 32, 64, 256}};
    for (const auto& c : cases) {
        const WorkerPlan plan = RefreshWorkers(c.requested, c.processors);
        EXPECT_EQ(plan.workers, c.workers) << c.requested << " " << c.processors;
        EXPECT_EQ(plan.mostThreads, c.mostThreads) << c.requested << " " << c.processors;
    }
}

TEST(WorkQueue, RunsJobsInOrderOneAtATimeAndDropsWaitingOnesWhenItEnds) {
    std::vector<int> ran;
    std::atomic<bool> release{false};
    std::atomic<int> started{0};
    {
        WorkQueue lane;
        // The first job holds the lane until released (or 5 s), the last one for 0.2 s at most.
        const auto job = [&](int number, int holdFor) {
            return [&, number, holdFor] {
                started = number;
                for (int i = 0; i < holdFor && !release; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ran.push_back(number);
            };
        };
        lane.Post(job(1, 500));
        lane.Post(job(2, 0));
        EXPECT_FALSE(lane.Idle());
        release = true;
        EXPECT_TRUE(WaitFor([&] { return lane.Idle(); }));
        release = false;
        lane.Post(job(3, 20));
        lane.Post(job(4, 0));
        EXPECT_TRUE(WaitFor([&] { return started == 3; }));
    }
    EXPECT_THAT(ran, ElementsAre(1, 2, 3));
}

}  // namespace
