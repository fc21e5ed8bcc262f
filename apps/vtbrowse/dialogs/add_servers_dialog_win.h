// The dialog that adds servers by address, and the choice of a server list file to import.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apps/shared/server_address.h"
#include "common/contract/windows_headers.h"

// The servers the user typed, or none when the user cancelled. Text that is not a server keeps
// the dialog open with the reason shown in it.
std::vector<ServerAddress> AskServers(HWND owner);
// The server list file the user chose to import; none when cancelled.
std::optional<std::wstring> AskServerListFile(HWND owner);
