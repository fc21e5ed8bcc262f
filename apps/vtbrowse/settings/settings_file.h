// The settings file on disk: read in any encoding ReadTextFile reads (a user may have saved it
// from Notepad), written anew in UTF-8 through a temporary beside it. Nothing of the user's is
// lost: before vtbrowse writes the file anew without the lines it could not read, the file as it
// was is kept beside it, under a name that says what it is and when ("settings.txt" keeps
// "settings-as-it-was-20261208-153012.txt"). Portable: tested natively.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/vtbrowse/settings/browser_settings.h"

// A missing file is no problem: settings are left as they are, but for the masters, which are
// the community masters of a new file. Anything else unreadable is a problem.
std::vector<std::string> LoadSettingsFile(const std::filesystem::path& path, BrowserSettings& settings);
// Writes the whole file anew through a temporary beside it, so a crash never leaves half a file.
// False with error filled when it could not be written.
bool SaveSettingsFile(const std::filesystem::path& path, const BrowserSettings& settings,
                      std::wstring& error);

// The name of the copy of path kept at when (the local time).
std::filesystem::path AsItWasPath(const std::filesystem::path& path, const std::tm& when);
// Copies path beside itself under AsItWasPath, "-2", "-3"... added when that name is taken; the
// copy's path, or an empty one with error filled.
std::filesystem::path KeepAsItWas(const std::filesystem::path& path, const std::tm& when,
                                  std::wstring& error);
// Loads the settings file at path into settings. The lines for the log: the file's lines that
// could not be read and, when there were any, where the file as it was is kept (named for the
// local time now), since it is written anew without them.
std::vector<std::wstring> LoadSettingsKeepingUnread(const std::filesystem::path& path,
                                                    BrowserSettings& settings);
