// The servers to refresh: "ADDRESS:PORT" texts from the command line and from a list file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ServerAddress {
    std::string address;  // host name or IPv4 address, without port (and without [] around IPv6)
    int port = 0;

    std::string Text() const;  // "address:port", as the user wrote it back
    bool operator==(const ServerAddress& other) const {
        return address == other.address && port == other.port;
    }
};

// A server text or list file that cannot be used; what() names the culprit.
struct ServerListError {
    std::string message;
};

// Parses "ADDRESS:PORT" (or "[IPv6]:PORT"); the port is 1 to 65535 in decimal.
// Returns false and fills error when the text is not of that form.
bool ParseServerAddress(std::string_view text, ServerAddress& server, ServerListError& error);

// How one server text is read: ParseServerAddress, or a stricter reader of the same form.
using ServerTextReader = bool (*)(std::string_view text, ServerAddress& server, ServerListError& error);

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
