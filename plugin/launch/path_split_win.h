// The platform's own path split (_wsplitpath), cut to the same buffer lengths as SplitPath.
#pragma once

#include <string>

#include "plugin/launch/path_split.h"

PathParts SplitPathWithPlatform(const std::wstring& path);
