// The reply fields a session's window keeps, for parses outside the plugin.
#pragma once

#include <cstddef>
#include <string>

#include "plugin/query/reply_parser.h"

struct ReplyText {
    std::wstring serverName;
    std::wstring mapName;
    int playerCount = 0;
    int maxPlayers = 0;
    bool parsed = false;
    std::size_t bytes = 0;

    ReplyFields Fields() { return {serverName, mapName, playerCount, maxPlayers, parsed}; }
};
