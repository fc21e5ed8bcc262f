#include "apps/vtbrowse/model/friends.h"

#include <algorithm>

#include "apps/vtbrowse/model/player_search.h"

namespace {

// Where part first stands in text at or after from, letter case aside; npos when nowhere.
size_t FindFolded(std::wstring_view text, std::wstring_view part, size_t from) {
    for (size_t at = from; at + part.size() <= text.size(); ++at) {
        if (SameFolded(text.substr(at, part.size()), part)) return at;
    }
    return std::wstring_view::npos;
}

bool SeenAmong(const std::vector<std::wstring>& names, std::wstring_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::wstring& seen) { return SameFolded(seen, name); });
}

}  // namespace

bool MatchesFriend(std::wstring_view pattern, std::wstring_view name) {
    const size_t firstStar = pattern.find(L'*');
    if (firstStar == std::wstring_view::npos) return SameFolded(pattern, name);
    // The text before the first star starts the name, the text after the last ends it, and the
    // pieces between stand in order in what is left: the leftmost place for each is as good as any.
    const size_t lastStar = pattern.rfind(L'*');
    const std::wstring_view head = pattern.substr(0, firstStar);
    const std::wstring_view tail = pattern.substr(lastStar + 1);
    if (head.size() + tail.size() > name.size()) return false;
    if (!SameFolded(name.substr(0, head.size()), head)) return false;
    if (!SameFolded(name.substr(name.size() - tail.size()), tail)) return false;
    const std::wstring_view middle = name.substr(head.size(), name.size() - head.size() - tail.size());
    size_t at = 0;
    for (size_t start = firstStar + 1; start <= lastStar;) {
        const size_t star = pattern.find(L'*', start);
        const std::wstring_view piece = pattern.substr(start, star - start);
        start = star + 1;
        if (piece.empty()) continue;
        at = FindFolded(middle, piece, at);
        if (at == std::wstring_view::npos) return false;
        at += piece.size();
    }
    return true;
}

std::vector<FriendSighting> FriendsOn(const ServerRow& row, const std::vector<std::wstring>& friends) {
    std::vector<FriendSighting> found;
    if (friends.empty()) return found;  // every answer of a long refresh comes through here
    for (std::wstring& name : PlayerNames(row)) {
        const auto pattern = std::find_if(friends.begin(), friends.end(), [&](const std::wstring& written) {
            return MatchesFriend(written, name);
        });
        if (pattern == friends.end()) continue;
        const bool again = std::any_of(found.begin(), found.end(), [&](const FriendSighting& seen) {
            return SameFolded(seen.player, name);
        });
        if (again) continue;
        found.push_back(FriendSighting{*pattern, std::move(name), row.id, row.last.status.serverName,
                                       row.address.WideText(), row.last.status.mapName});
    }
    return found;
}

std::vector<FriendSighting> WhereFriendsPlay(const ServerTable& rows,
                                             const std::vector<std::wstring>& friends) {
    std::vector<FriendSighting> all;
    rows.ForEach([&](const ServerRow& row) {
        for (FriendSighting& sighting : FriendsOn(row, friends)) all.push_back(std::move(sighting));
    });
    std::vector<FriendSighting> byFriend;
    for (const std::wstring& written : friends) {
        const size_t before = byFriend.size();
        for (const FriendSighting& sighting : all) {
            if (sighting.pattern == written) byFriend.push_back(sighting);
        }
        if (byFriend.size() == before) byFriend.push_back(FriendSighting{written, L"", 0, L"", L"", L""});
    }
    return byFriend;
}

std::wstring AppearanceText(const FriendSighting& sighting) {
    const std::wstring server = sighting.serverName.empty()
                                    ? sighting.address
                                    : sighting.serverName + L" (" + sighting.address + L")";
    return sighting.player + L" is playing on " + server +
           (sighting.mapName.empty() ? L"" : L", map " + sighting.mapName);
}

std::vector<FriendSighting> FriendAppearances::Answered(const ServerRow& row,
                                                        const std::vector<std::wstring>& friends) {
    if (!LastPingAnswered(row)) return {};
    std::vector<FriendSighting> playing = FriendsOn(row, friends);
    std::vector<std::wstring>& before = present_[row.id];
    std::vector<FriendSighting> appeared;
    std::vector<std::wstring> now;
    for (FriendSighting& sighting : playing) {
        now.push_back(sighting.player);
        if (!SeenAmong(before, sighting.player)) appeared.push_back(std::move(sighting));
    }
    before = std::move(now);
    return appeared;
}

void FriendAppearances::SeeAll(const ServerTable& rows, const std::vector<std::wstring>& friends) {
    rows.ForEach([&](const ServerRow& row) { Answered(row, friends); });
}
