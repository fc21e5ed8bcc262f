// The platform's own path split (_wsplitpath), its parts cut to the standard buffers' lengths.
#pragma once

#include <stdlib.h>

#include <string>

#include "plugin/launch/path_split.h"

// A runtime's split of a path into the four buffers, as _wsplitpath.
using RuntimeSplit = void (*)(const wchar_t*, wchar_t*, wchar_t*, wchar_t*, wchar_t*);

// Splits path with split (the platform's unless a test plays another runtime's), into buffers that
// hold a part of any length, then cuts each part to its buffer's length.
PathParts SplitPathWithPlatform(const std::wstring& path, RuntimeSplit split = _wsplitpath);
