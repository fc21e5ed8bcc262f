#include "plugin/query/ping_pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

// The cycle's passes in simulated time, against a server that never replies: strays (datagrams
// that are no reply) every strayEvery ms, and wake-ups that find nothing at the given times.
class SimulatedSteps : public PassSteps {
public:
    SimulatedSteps(int firstPassAt, int strayEvery) : elapsed(firstPassAt), strayEvery_(strayEvery) {}

    int Elapsed() override { return elapsed; }
    Wakeup Wait(std::uint32_t milliseconds) override {
        if (++passes > 10000) return Wakeup::Failed;  // a cycle that never ends fails the test
        if (firstWait < 0) firstWait = static_cast<int>(milliseconds);
        const int wait = static_cast<int>(milliseconds);
        const int untilStray = strayEvery_ > 0 ? strayEvery_ - elapsed % strayEvery_ : INT_MAX;
        if (untilStray <= wait) {
            elapsed += untilStray;
            return Wakeup::Signalled;
        }
        elapsed += wait;
        return Wakeup::RanOut;
    }
    Received Receive() override { return Received::Datagram; }
    bool Resend() override {
        ++sends;
        return true;
    }

    int elapsed;
    int sends = 1;
    int firstWait = -1;
    int passes = 0;

private:
    int strayEvery_;
};

TEST(PingPacing, SilentServerGetsBudgetPlusOneQueriesOneSecondApart) {
    for (int budget = 1; budget <= 5; ++budget) {
        SimulatedSteps steps(0, 0);
        EXPECT_EQ(RunPasses(budget, steps), CycleEnd::Timeout);
        EXPECT_EQ(steps.sends, budget + 1) << budget;
        EXPECT_EQ(steps.elapsed, budget * 1000) << budget;
    }
    // A budget of 0 or less: one full wait, one re-send, one poll, even when the clock ticked
    // between the first send and the first pass.
    for (int budget : {0, -1}) {
        for (int tick : {0, 1, 15}) {
            SimulatedSteps steps(tick, 0);
            EXPECT_EQ(RunPasses(budget, steps), CycleEnd::Timeout);
            EXPECT_EQ(steps.firstWait, 1000) << budget << " " << tick;
            EXPECT_EQ(steps.sends, 2) << budget << " " << tick;
            EXPECT_EQ(steps.elapsed, tick + 1000) << budget << " " << tick;
        }
    }
}

TEST(PingPacing, StrayDatagramsNeitherResendNorOutlastBudgetPlusOneSecond) {
    for (int budget : {0, 1, 2, 5}) {
        for (int strayEvery : {100, 250, 999}) {
            SimulatedSteps steps(0, strayEvery);
            EXPECT_EQ(RunPasses(budget, steps), CycleEnd::Timeout);
            EXPECT_EQ(steps.sends, 1) << budget << " " << strayEvery;
            EXPECT_GE(steps.elapsed, std::max(budget, 0) * 1000) << budget << " " << strayEvery;
            EXPECT_LE(steps.elapsed, std::max(budget, 0) * 1000 + 1000) << budget << " " << strayEvery;
        }
    }
}

// One wake-up, then what the pass found: a reply ends the cycle at once, a socket or wait
// failure fails it, and a wake-up that finds nothing is an empty pass while budget remains.
TEST(PingPacing, EachPassEndsTheCycleOrGoesOnAsItsWakeupAndReceiveSay) {
    struct Script : SimulatedSteps {
        Script(Wakeup first, Received found) : SimulatedSteps(0, 0), first_(first), found_(found) {}
        Wakeup Wait(std::uint32_t milliseconds) override {
            if (passes++ > 0) return SimulatedSteps::Wait(milliseconds);
            elapsed += 10;
            return first_;
        }
        Received Receive() override { return found_; }
        Wakeup first_;
        Received found_;
    };
    const struct {
        Wakeup first;
        Received found;
        int budget;
        CycleEnd end;
        int sends;
    } cases[] = {
        {Wakeup::Signalled, Received::Reply, 2, CycleEnd::Reply, 1},
        {Wakeup::Signalled, Received::Failed, 2, CycleEnd::SocketFailure, 1},
        {Wakeup::Failed, Received::Reply, 2, CycleEnd::WaitFailed, 1},
        // Input never re-sends: the full waits after it do, as for a silent server.
        {Wakeup::Input, Received::Reply, 2, CycleEnd::Timeout, 3},
        {Wakeup::Signalled, Received::Nothing, 2, CycleEnd::Timeout, 3},
        // Once the budget is spent an empty pass is the last.
        {Wakeup::Signalled, Received::Nothing, 0, CycleEnd::Timeout, 1},
    };
    for (const auto& c : cases) {
        Script steps(c.first, c.found);
        EXPECT_EQ(RunPasses(c.budget, steps), c.end)
            << static_cast<int>(c.first) << static_cast<int>(c.found);
        EXPECT_EQ(steps.sends, c.sends) << static_cast<int>(c.first) << static_cast<int>(c.found);
    }
}

TEST(PingPacing, LateWaitsPollAndLargeBudgetsDoNotOverflow) {
    PingPacing late(2);
    late.NextWait(0);
    late.AfterWait(Wakeup::RanOut);      // one full wait ran out: the counter is below the budget
    EXPECT_EQ(late.NextWait(2500), 0u);  // the budget is spent: poll
    EXPECT_EQ(late.Counter(), 0);
    EXPECT_EQ(late.AfterWait(Wakeup::RanOut), PassAction::Nothing);
    EXPECT_TRUE(late.TimedOut(false));

    PingPacing huge(INT_MAX);
    EXPECT_EQ(huge.NextWait(0), 1000u);
}

}  // namespace
