// What the servers' last answers hold across the list: where a name is playing (the user tables),
// and the values of a rule (for the filters' choices).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "apps/vtbrowse/model/server_table.h"

struct PlayerSighting {
    ServerId server = 0;
    std::wstring player;  // as the server spells it
    std::wstring serverName;
    std::wstring address;
    std::wstring mapName;
};

// The player names of row's user table (its first column), in the table's order; none unless
// its last ping got an answer: the plugin empties the tables of the others.
std::vector<std::wstring> PlayerNames(const ServerRow& row);

// Players whose name holds text (any letter case), server by server in the rows' order, each
// server's players in its table's order. Only servers whose last ping got an answer count: the
// plugin empties the tables of the others. Empty text finds nobody.
std::vector<PlayerSighting> FindPlayers(const ServerTable& rows, std::wstring_view text);
// For each of keys, every value of that rule among the servers that answered, each once, in
// alphabetical order (letter case aside): what the filter's choices offer. One pass over the
// rows for all keys: it runs at the end of every refresh, over lists of thousands.
std::vector<std::vector<std::wstring>> RuleValuesSeen(const ServerTable& rows,
                                                      const std::vector<std::wstring_view>& keys);
