// File paths as vtquery takes them from the user and hands them to Windows.
#pragma once

#include <string>

// A user's path (UTF-8) as a full Windows path. Under Wine an absolute Unix path such as
// /home/me/game.exe is mapped to its drive path, so paths from a Linux shell work as given.
std::wstring FullHostPath(const std::string& path);
