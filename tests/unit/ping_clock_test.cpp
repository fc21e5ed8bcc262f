#include "query/ping_clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(ElapsedMilliseconds, BorrowsASecondAndTruncatesTowardZero) {
    struct Case {
        TimeStamp now;
        TimeStamp start;
        int elapsed;
        TimeStamp nowAfter;  // now is adjusted in place when it borrows
    } const cases[] = {
        {{100, 500000}, {100, 250000}, 250, {100, 500000}},
        {{101, 100000}, {100, 900000}, 200, {100, 1100000}},  // borrows
        {{105, 0}, {100, 0}, 5000, {105, 0}},
        {{100, 1500}, {100, 0}, 1, {100, 1500}},       // 1.5 ms truncates to 1
        {{99, 500000}, {100, 0}, -500, {99, 500000}},  // a clock set back
        {{100, 0}, {100, 1500}, -2, {99, 1000000}},    // borrows first: -1000 + 998 (998.5 truncated)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.now.seconds << "." << c.now.microseconds);
        TimeStamp now = c.now;
        EXPECT_EQ(ElapsedMilliseconds(now, c.start), c.elapsed);
        EXPECT_EQ(now.seconds, c.nowAfter.seconds);
        EXPECT_EQ(now.microseconds, c.nowAfter.microseconds);
    }
}

TEST(ElapsedMilliseconds, WrapsIn32BitArithmetic) {
    // 2^31 / 1000 seconds and a bit: the product no longer fits and wraps as 32-bit would.
    TimeStamp now{2147484, 0};
    const TimeStamp start{0, 0};
    EXPECT_EQ(ElapsedMilliseconds(now, start), static_cast<int>(2147484000u - 4294967296u));
}

TEST(MarkTime, ReadsTheWallClockToTheMillisecond) {
    TimeStamp stamp{};
    const std::time_t before = std::time(nullptr);
    MarkTime(stamp);
    const std::time_t after = std::time(nullptr);
    EXPECT_GE(stamp.seconds, before);
    EXPECT_LE(stamp.seconds, after);
    EXPECT_EQ(stamp.microseconds % 1000, 0);
    EXPECT_GE(stamp.microseconds, 0);
    EXPECT_LT(stamp.microseconds, 1000000);
}

}  // namespace
