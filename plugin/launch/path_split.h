// An executable path's parts: drive, directory, file name and extension, as the platform's
// _wsplitpath gives them with its standard buffers.
#pragma once

#include <cstddef>
#include <string>

// Longest part that fits each buffer of the split (terminator excluded).
constexpr std::size_t MaxDriveLength = 2;
constexpr std::size_t MaxPathPartLength = 255;

struct PathParts {
    std::wstring drive;      // "C:" or empty
    std::wstring directory;  // up to and including the last '\' or '/', or empty
    std::wstring fileName;   // up to the last '.' after the directory
    std::wstring extension;  // that '.' and the rest, or empty
};

// The parts as the platform's standard buffers hold them: each cut to its buffer's length.
PathParts CutToBuffers(PathParts whole);
