// Canaries of CTest's verdict (tests/cmake/CMakeLists.txt): each test but the first ends a run that
// must fail, and fail for its own reason, as cmake/googletest-passed names it. The first finishes
// as usual and must pass through the same check.
#include <gtest/gtest.h>

#include <cstdlib>

TEST(ClosingLine, FinishedTestPasses) {
    EXPECT_EQ(2 + 2, 4);
}

TEST(ClosingLine, ExitWithZeroMidwayFails) {
    std::exit(0);
}

TEST(ClosingLine, FailingTestFails) {
    EXPECT_EQ(2 + 2, 5);
}

// googletest's closing line comes, then the program ends as a crash does.
TEST(ClosingLine, CrashAfterTheClosingLineFails) {
    std::atexit([] { std::abort(); });
}
