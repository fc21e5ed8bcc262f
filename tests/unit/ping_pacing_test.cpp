#include "query/ping_pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

// A cycle against a server that never replies, in simulated time: how many queries went out
// and when it ended. strayEvery > 0: a datagram that is not a reply ends waits that often.
struct Simulated {
    int sends;
    int endedAt;
};

Simulated Simulate(int timeoutSeconds, int strayEvery) {
    int elapsed = 0;
    int counter = timeoutSeconds;
    int sends = 1;
    for (int pass = 0; pass < 10000; ++pass) {
        const PassWait wait = ChoosePassWait(elapsed, timeoutSeconds, counter);
        const int untilStray = strayEvery > 0 ? strayEvery - elapsed % strayEvery : INT_MAX;
        const bool empty = untilStray > static_cast<int>(wait.milliseconds);
        elapsed += empty ? static_cast<int>(wait.milliseconds) : untilStray;
        if (empty && wait.full) {
            --counter;
            ++sends;
        }
        if ((empty && counter == 0) || wait.last) return {sends, elapsed};
    }
    return {-1, -1};
}

TEST(ChoosePassWait, SilentServerGetsBudgetPlusOneQueriesOneSecondApart) {
    for (int budget = 1; budget <= 5; ++budget) {
        EXPECT_EQ(Simulate(budget, 0).sends, budget + 1) << budget;
        EXPECT_EQ(Simulate(budget, 0).endedAt, budget * 1000) << budget;
    }
    for (int budget : {0, -1}) {  // one full wait, one re-send, one poll
        EXPECT_EQ(Simulate(budget, 0).sends, 2) << budget;
        EXPECT_EQ(Simulate(budget, 0).endedAt, 1000) << budget;
    }
}

TEST(ChoosePassWait, StrayDatagramsNeitherResendNorOutlastBudgetPlusOneSecond) {
    for (int budget : {0, 1, 2, 5}) {
        for (int strayEvery : {100, 250, 999}) {
            const Simulated cycle = Simulate(budget, strayEvery);
            EXPECT_EQ(cycle.sends, 1) << budget << " " << strayEvery;
            EXPECT_GE(cycle.endedAt, std::max(budget, 0) * 1000) << budget << " " << strayEvery;
            EXPECT_LE(cycle.endedAt, std::max(budget, 0) * 1000 + 1000) << budget << " " << strayEvery;
        }
    }
}

TEST(ChoosePassWait, LateWaitsPollAndLargeBudgetsDoNotOverflow) {
    int counter = 1;  // the budget is spent and a full wait ran out: poll
    const PassWait poll = ChoosePassWait(2000, 2, counter);
    EXPECT_EQ(poll.milliseconds, 0u);
    EXPECT_FALSE(poll.last);
    EXPECT_EQ(counter, 0);
    counter = INT_MAX;
    EXPECT_EQ(ChoosePassWait(0, INT_MAX, counter).milliseconds, 1000u);
}

}  // namespace
