// Friends: the players a user looks out for, each written as a name, exactly or with "*" for any
// run of characters, letter case aside. Where they play comes from the user tables the plugin
// filled (no traffic of its own); an appearance is a friend on a server where the server's
// previous answer did not have them, told once. Portable: tested natively.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "apps/vtbrowse/model/server_table.h"

// Whether name is the friend written as pattern: "*" stands for any run of characters (none
// too), every other character for itself, letter case aside.
bool MatchesFriend(std::wstring_view pattern, std::wstring_view name);

struct FriendSighting {
    std::wstring pattern;  // the friend as the user wrote them
    std::wstring player;   // as the server spells the name; empty: playing nowhere seen
    ServerId server = 0;
    std::wstring serverName;
    std::wstring address;
    std::wstring mapName;
};

// The friends playing on row, in its table's order, each player once (under the first pattern
// that matches); none unless its last ping got an answer.
std::vector<FriendSighting> FriendsOn(const ServerRow& row, const std::vector<std::wstring>& friends);
// Where each friend plays, friend by friend in the user's order and then server by server; a
// friend playing nowhere among the servers that answered has one sighting without a player.
std::vector<FriendSighting> WhereFriendsPlay(const ServerTable& rows,
                                             const std::vector<std::wstring>& friends);

// What the log and the notification say of an appearance: "Cobra is playing on Alpha
// (127.0.0.1:28001), map Raindance".
std::wstring AppearanceText(const FriendSighting& sighting);

// The friends on each server at its latest answer, to tell which of them are new at the next.
class FriendAppearances {
public:
    // row was pinged: the friends on it that its previous answer did not have. A ping without an
    // answer changes nothing: a friend still there when it answers again has not appeared anew.
    std::vector<FriendSighting> Answered(const ServerRow& row, const std::vector<std::wstring>& friends);
    // Takes every friend playing now as seen, without telling: the user changed who their friends
    // are and sees where they play in the friends pane.
    void SeeAll(const ServerTable& rows, const std::vector<std::wstring>& friends);
    // The server left the list.
    void Forget(ServerId server) { present_.erase(server); }

private:
    std::map<ServerId, std::vector<std::wstring>> present_;  // players' names as last seen
};
