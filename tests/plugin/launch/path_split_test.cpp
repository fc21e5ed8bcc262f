// The launch's own part of the split, portable: each part cut to its buffer. The split itself is
// the platform's, held to the same cases on Windows.
#include "plugin/launch/path_split.h"

#include <gtest/gtest.h>

#include "tests/plugin/launch/path_split_cases.h"

namespace {

TEST(PathSplit, CutsEachPartToItsBuffer) {
    for (const PathSplitCase& c : PathSplitCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CutToBuffers(c.Whole()), c.expected);
    }
}

}  // namespace
