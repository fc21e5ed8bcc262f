#include "plugin/launch/path_split_win.h"

#include <algorithm>
#include <vector>

// Runtimes differ on a part longer than its standard buffer: Windows' msvcrt cuts it, Wine's
// leaves every part empty, older ones wrote it whole. Buffers big enough for the whole path keep
// the last kind in bounds; the cut to the standard lengths is made here.
PathParts SplitPathWithPlatform(const std::wstring& path, RuntimeSplit split) {
    const std::size_t size = std::max<std::size_t>(path.size(), MaxPathPartLength) + 1;
    std::vector<wchar_t> drive(size), directory(size), fileName(size), extension(size);
    split(path.c_str(), drive.data(), directory.data(), fileName.data(), extension.data());
    return CutToBuffers(PathParts{drive.data(), directory.data(), fileName.data(), extension.data()});
}
