// Lists of servers: a list file's content ("ADDRESS:PORT" a line), read from a file in any
// encoding ReadTextFile reads, and a list without repeats.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "apps/shared/server_address.h"

// Parses a list file's content: one server per line, read by read; blank lines and everything
// after '#' are ignored; surrounding blanks are trimmed. origin names the file in errors
// ("list.txt:3: ...").
bool ParseServerList(std::string_view content, std::string_view origin, std::vector<ServerAddress>& servers,
                     ServerListError& error, ServerTextReader read = ParseServerAddress);

// Reads and parses a list file named in UTF-8, in any encoding ReadTextFile reads.
bool ReadServerListFile(const std::string& path, std::vector<ServerAddress>& servers, ServerListError& error,
                        ServerTextReader read = ParseServerAddress);

// The list without repeats, first occurrence kept: one host session per server.
std::vector<ServerAddress> WithoutDuplicates(const std::vector<ServerAddress>& servers);
