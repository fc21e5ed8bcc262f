// Nothing of the user's is lost: before vtbrowse writes its settings file anew without the lines
// it could not read, the file as it was is kept beside it, under a name that says what it is and
// when: "settings.txt" keeps "settings-as-it-was-20261208-153012.txt". Portable: tested natively.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/vtbrowse/settings_file.h"

// The name of the copy of path kept at when (the local time).
std::filesystem::path AsItWasPath(const std::filesystem::path& path, const std::tm& when);
// Copies path beside itself under AsItWasPath, "-2", "-3"... added when that name is taken; the
// copy's path, or an empty one with error filled.
std::filesystem::path KeepAsItWas(const std::filesystem::path& path, const std::tm& when, std::string& error);
// Keeps path as it was, named for the local time now; the line for the log that says where the
// copy is, or why there is none.
std::wstring KeepAsItWasNow(const std::filesystem::path& path);
// Loads the settings file at path into settings. The lines for the log: problems first (the
// command line's), then the file's lines that could not be read and, when there were any, where
// the file as it was is kept, since it is written anew without them.
std::vector<std::wstring> LoadSettingsKeepingUnread(const std::filesystem::path& path,
                                                    BrowserSettings& settings,
                                                    const std::vector<std::string>& problems);
