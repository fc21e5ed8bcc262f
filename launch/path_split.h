// Splitting an executable path into drive, directory, file name and extension, the way the
// platform's _wsplitpath does with its standard buffers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Longest part that fits each buffer of the split (terminator excluded).
constexpr std::size_t MaxDriveLength = 2;
constexpr std::size_t MaxPathPartLength = 255;

struct PathParts {
    std::wstring drive;      // "C:" or empty
    std::wstring directory;  // up to and including the last '\' or '/', or empty
    std::wstring fileName;   // up to the last '.' after the directory
    std::wstring extension;  // that '.' and the rest, or empty
};

// Splits path (read up to its first NUL, like a C string). Each part is cut to its buffer
// length; the cut never moves where the next part starts.
PathParts SplitPath(std::wstring_view path);
