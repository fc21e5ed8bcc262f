// A server list file the user imports, read where it meets vtbrowse: its servers in the file's
// order (none no server can have), or why none were read, in the log's words. Portable.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "apps/shared/server_address.h"

struct ImportedServers {
    std::vector<ServerAddress> servers;
    std::wstring problem;  // empty when the file was read
};

ImportedServers ReadImportedServers(const std::filesystem::path& path);
