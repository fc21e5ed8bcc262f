// File paths as vtquery takes them from the user and hands them to Windows.
#pragma once

#include <string>

// Tribes.vtplugin in the folder of vtquery.exe, where a host installs its plugins.
std::wstring DefaultPluginPath();

// A user's path (UTF-8) as a full Windows path. Under Wine an absolute Unix path such as
// /home/me/game.exe is mapped to its drive path, so paths from a Linux shell work as given.
std::wstring FullHostPath(const std::string& path);
