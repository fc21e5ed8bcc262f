// The settings file's text: "key=value" lines, each key made once (SettingLine) with the field of
// BrowserSettings it holds; written in UTF-8. Portable: tested natively.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "apps/vtbrowse/settings/browser_settings.h"

std::string FormatSettings(const BrowserSettings& settings);
// Reads what it can: each line it cannot use is skipped and named in the result as
// "origin:LINE: why"; lines of unknown keys are kept in otherLines, silently (a newer vtbrowse
// may have written them).
std::vector<std::string> ParseSettings(std::string_view content, std::string_view origin,
                                       BrowserSettings& settings);
