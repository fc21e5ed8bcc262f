// A test program that ends with exit code 0 in the middle of a test: CTest must report that test
// failed (tests/CMakeLists.txt expects it to fail), since googletest never said it passed. Its
// neighbour finishes as usual and must pass through the same check.
#include <cstdlib>

#include <gtest/gtest.h>

TEST(ClosingLine, FinishedTestPasses) {
    EXPECT_EQ(2 + 2, 4);
}

TEST(ClosingLine, ExitWithZeroMidwayFails) {
    std::exit(0);
}
