#include "plugin/launch/path_split_win.h"

#include <stdlib.h>

#include <algorithm>
#include <vector>

namespace {

// Runtimes differ on a part longer than its standard buffer: Windows' msvcrt cuts it, Wine's
// leaves every part empty, older ones wrote it whole. Buffers big enough for the whole path keep
// the last kind in bounds; the cut to the standard lengths is made here.
std::wstring Cut(const std::vector<wchar_t>& buffer, std::size_t maxLength) {
    const std::wstring part(buffer.data());
    return part.substr(0, maxLength);
}

}  // namespace

PathParts SplitPathWithPlatform(const std::wstring& path) {
    const std::size_t size = std::max<std::size_t>(path.size(), MaxPathPartLength) + 1;
    std::vector<wchar_t> drive(size), directory(size), fileName(size), extension(size);
    _wsplitpath(path.c_str(), drive.data(), directory.data(), fileName.data(), extension.data());
    return PathParts{Cut(drive, MaxDriveLength), Cut(directory, MaxPathPartLength),
                     Cut(fileName, MaxPathPartLength), Cut(extension, MaxPathPartLength)};
}
