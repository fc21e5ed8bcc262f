// A game server's (or a master's) address as the user and the masters write it: "ADDRESS:PORT",
// "[IPv6]:PORT". The one type every host program names a server by.
#pragma once

#include <string>
#include <string_view>

struct ServerAddress {
    std::string address;  // host name or IPv4 address, without port (and without [] around IPv6)
    int port = 0;

    std::string Text() const;  // "address:port", as the user wrote it back
    // Text() as a window and vtbrowse's log show it: "127.0.0.1:28001", "[::1]:28001".
    std::wstring WideText() const;
    bool operator==(const ServerAddress& other) const {
        return address == other.address && port == other.port;
    }
};

// A server text or list file that cannot be used; message names the culprit.
struct ServerListError {
    std::string message;
};

// Parses "ADDRESS:PORT" (or "[IPv6]:PORT"); the port is 1 to 65535 in decimal.
// Returns false and fills error when the text is not of that form.
bool ParseServerAddress(std::string_view text, ServerAddress& server, ServerListError& error);

// How one server text is read: ParseServerAddress, or a stricter reader of the same form.
using ServerTextReader = bool (*)(std::string_view text, ServerAddress& server, ServerListError& error);
