// What a running fake server's control port takes: commands that change who plays on it, so a
// test or a demo can let a player join or a seat free at the moment it chooses. One command a
// datagram, one line of answer:
//   join NAME     NAME takes a seat, on the team with the fewest players; refused when full
//   leave [NAME]  NAME leaves (any letter case); without a name, the last player to have joined
//   limit N       the player limit becomes N (0 to 255)
//   status        changes nothing
// Every answer is "ok COUNT/LIMIT" or "error " and why.
#pragma once

#include <string>
#include <string_view>

#include "tools/tribes_emu/reply_builder.h"

namespace tribes_emu {

// Applies command to server (its players, their count, its limit); the answer.
std::string ApplyControl(ServerInfo& server, std::string_view command);

}  // namespace tribes_emu
