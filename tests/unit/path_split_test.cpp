#include "launch/path_split.h"

#include <gtest/gtest.h>

#include "tests/unit/path_split_cases.h"

namespace {

TEST(PathSplit, SplitsEachCase) {
    for (const PathSplitCase& c : PathSplitCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SplitPath(c.path), c.expected);
    }
}

TEST(PathSplit, StopsAtTheFirstNulLikeACString) {
    const std::wstring path(L"C:\\Games\\run.exe\0\\later.txt", 27);
    EXPECT_EQ(SplitPath(path), (PathParts{L"C:", L"\\Games\\", L"run", L".exe"}));
}

}  // namespace
