#include "plugin/query/ping_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(ElapsedMilliseconds, BorrowsASecondInPlaceThenTruncatesTowardZero) {
    struct Case {
        TimeStamp now, start;
        int elapsed;
        TimeStamp nowAfter;
    } const cases[] = {
        {{100, 500000}, {100, 250000}, 250, {100, 500000}},
        {{101, 100000}, {100, 900000}, 200, {100, 1100000}},
        {{100, 1500}, {100, 0}, 1, {100, 1500}},
        {{99, 500000}, {100, 0}, -500, {99, 500000}},  // a clock set back
        {{100, 0}, {100, 1500}, -2, {99, 1000000}},    // -1000 + 998 (998.5 truncated)
        {{2147484, 0}, {0, 0}, static_cast<int>(2147484000u - 4294967296u), {2147484, 0}},  // wraps
    };
    for (const Case& c : cases) {
        TimeStamp now = c.now;
        EXPECT_EQ(ElapsedMilliseconds(now, c.start), c.elapsed) << c.now.seconds << "." << c.now.microseconds;
        EXPECT_EQ(now.seconds, c.nowAfter.seconds);
        EXPECT_EQ(now.microseconds, c.nowAfter.microseconds);
    }
}

}  // namespace
