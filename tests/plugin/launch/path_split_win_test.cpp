#include "plugin/launch/path_split_win.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "tests/plugin/launch/path_split_cases.h"

namespace {

// A runtime that writes every part whole, as older ones did: the parts of the case it plays.
const PathSplitCase* played = nullptr;
void WholePartsSplit(const wchar_t*, wchar_t* drive, wchar_t* directory, wchar_t* fileName,
                     wchar_t* extension) {
    const PathParts whole = played->Whole();
    std::wcscpy(drive, whole.drive.c_str());
    std::wcscpy(directory, whole.directory.c_str());
    std::wcscpy(fileName, whole.fileName.c_str());
    std::wcscpy(extension, whole.extension.c_str());
}

// The launch's split gives each case's parts with the platform's runtime, and cuts what a runtime
// gives whole. Wine's runtime turns a path with an over-long part down (every part empty) where
// Windows' cuts the part: either way nothing runs past a buffer.
TEST(PathSplitWin, PlatformSplitGivesEachCasesPartsCutToTheirBuffers) {
    for (const PathSplitCase& c : PathSplitCases()) {
        SCOPED_TRACE(c.what);
        played = &c;
        EXPECT_EQ(SplitPathWithPlatform(c.path, WholePartsSplit), c.expected);
        const PathParts platform = SplitPathWithPlatform(c.path);
        EXPECT_TRUE(platform == c.expected || (c.whole && platform == PathParts{})) << platform;
    }
}

}  // namespace
