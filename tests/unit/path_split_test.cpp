// The portable reference for the platform's split (_wsplitpath): the cases hold under it here, on
// every build and under the sanitizers, and the Windows test holds the platform's split to the
// same cases.
#include "plugin/launch/path_split.h"

#include <gtest/gtest.h>

#include <string_view>

#include "tests/unit/path_split_cases.h"

namespace {

std::wstring Cut(std::wstring_view part, std::size_t maxLength) {
    return std::wstring(part.substr(0, maxLength));
}

// Splits path (read up to its first NUL, like a C string). Each part is cut to its buffer
// length; the cut never moves where the next part starts.
PathParts SplitPath(std::wstring_view path) {
    path = path.substr(0, path.find(L'\0'));
    PathParts parts;

    if (path.size() >= 2 && path[1] == L':') {
        parts.drive = Cut(path.substr(0, 2), MaxDriveLength);
        path.remove_prefix(2);
    }

    const std::size_t lastSeparator = path.find_last_of(L"\\/");
    if (lastSeparator != std::wstring_view::npos) {
        parts.directory = Cut(path.substr(0, lastSeparator + 1), MaxPathPartLength);
        path.remove_prefix(lastSeparator + 1);
    }

    // What is left holds no separator, so its last dot starts the extension.
    const std::size_t lastDot = path.rfind(L'.');
    const std::size_t nameLength = lastDot == std::wstring_view::npos ? path.size() : lastDot;
    parts.fileName = Cut(path.substr(0, nameLength), MaxPathPartLength);
    parts.extension = Cut(path.substr(nameLength), MaxPathPartLength);
    return parts;
}

TEST(PathSplit, SplitsEachCase) {
    for (const PathSplitCase& c : PathSplitCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SplitPath(c.path), c.expected);
    }
}

}  // namespace
