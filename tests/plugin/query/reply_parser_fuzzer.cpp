// Feeds arbitrary datagrams to the reply parser, each into a fresh server record, and checks
// what must hold of the tables and fields whatever the bytes were.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/services/server_objects.h"
#include "plugin/query/reply_parser.h"

namespace {

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "reply parser invariant broken: %s\n", what);
    std::abort();
}

bool Holds(const TableRow& row, std::size_t column) {
    return column < row.size() && row[column].has_value();
}

// A ping cell is a byte times four.
bool IsPingText(const std::wstring& text) {
    if (text.empty() || text.size() > 4) return false;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    return value % 4 == 0 && value <= 1020 && std::to_wstring(value) == text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size > 2000) return 0;  // the ping cycle receives into a 2000-byte buffer
    HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    data->AddTable(L"UsersTable");
    data->AddTable(L"PropertiesTable");
    std::wstring serverName = L"unset", mapName = L"unset";
    int playerCount = -1, maxPlayers = -1;
    bool replyParsed = false;

    ParseReply(bytes, static_cast<int>(size), *data,
               ReplyFields{serverName, mapName, playerCount, maxPlayers, replyParsed});

    std::vector<TableRow> properties = data->Table(L"PropertiesTable").rows;
    std::vector<TableRow> users = data->Table(L"UsersTable").rows;
    bool isReply = size >= 5 && std::memcmp(bytes, "c**b", 4) == 0;
    if (!isReply) {
        Require(properties.empty() && users.empty(), "a non-reply wrote rows");
        Require(serverName == L"unset" && mapName == L"unset" && playerCount == -1 && maxPlayers == -1,
                "a non-reply set a field");
        Require(!replyParsed, "a non-reply counted as parsed");
        return 0;
    }

    Require(!properties.empty(), "a reply appended no property row");
    Require(playerCount >= -1 && playerCount <= 255 && maxPlayers >= -1 && maxPlayers <= 255,
            "counts beyond a byte");
    // Only the first row may stay empty, when the game name itself is cut off.
    for (std::size_t row = 1; row < properties.size(); ++row) {
        Require(Holds(properties[row], 0), "a property row without a name");
    }
    Require(users.empty() || replyParsed, "player rows from a reply that did not count");
    if (replyParsed) {
        Require(size >= 22, "a reply shorter than the shortest one counted");
        Require(properties.size() >= 9, "a parsed reply without its property and team rows");
        Require(properties[0].at(0) == L"gamename" && properties[7].at(0) == L"numteams",
                "property rows out of place");
        Require(*properties[8].at(0) == L"Team 1", "first team row misplaced");
        Require(users.size() * 4 <= size - 22, "more player rows than the bytes could hold");
    }
    for (const TableRow& row : users) {
        Require(Holds(row, 0) && Holds(row, 2) && Holds(row, 3) && Holds(row, 4), "a player row with a gap");
        Require(IsPingText(*row[3]), "a ping that is not a byte times four");
    }
    return 0;
}
