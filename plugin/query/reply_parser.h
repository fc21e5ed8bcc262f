// Turns one Tribes reply datagram ("c**b" ...) into rows of the server's result tables and the
// header fields the ping cycle reports.
#pragma once

#include <string>

#include "common/contract/host_services.h"

// Where a parse leaves the reply's header fields (members of the session's network window).
struct ReplyFields {
    std::wstring& serverName;
    std::wstring& mapName;
    int& playerCount;
    int& maxPlayers;
    bool& replyParsed;
};

// Appends the reply's property, team and player rows to data and sets the fields; sets
// replyParsed once the parse has run through the team section to the end of the datagram.
// A datagram shorter than 5 bytes or not starting with "c**b" changes nothing. One that ends
// inside the header or the team section, or announces 255 teams, stops there: what was
// written so far stays and replyParsed stays clear.
void ParseReply(const unsigned char* bytes, int count, VtServerData& data, ReplyFields fields);
