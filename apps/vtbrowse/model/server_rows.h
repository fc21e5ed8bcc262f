// The browser's servers as the user sees them: one row per server with what the plugin wrote for
// it, its cells, and the order of the list. Portable: tested natively.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "apps/shared/server_result.h"
#include "apps/vtbrowse/model/server_origin.h"

using ServerId = std::uint32_t;

// One point of the player-count history: the count recorded, or none for a ping without answer.
using CountPoint = std::optional<int>;

struct ServerRow {
    ServerId id = 0;
    ServerAddress address;
    ServerOrigin origin;
    bool refreshed = false;           // a ping has run since the server was added
    ServerResult last;                // what the last ping left
    std::vector<CountPoint> history;  // one point per refresh of this run
    // Launch options the plugin offered for this server, in the order it offered them.
    std::vector<OfferedLaunchOption> offeredOptions;
};

const wchar_t* ColumnHeading(RowColumn column);
// The text of one cell of the server list.
std::wstring CellText(const ServerRow& row, RowColumn column);

// Takes in what a ping left: status, tables, ping time, and one history point from what the
// plugin recorded (RecordPlayerCount: the count; RecordNoResponse or nothing: a gap).
void ApplyResult(ServerRow& row, ServerResult result);

// Whether the row's last ping got an answer (it has been pinged, and the server answered).
bool LastPingAnswered(const ServerRow& row);

// Rows appended to the list that the plugin has still to be told of: their ids and addresses.
using AddedRows = std::vector<std::pair<ServerId, ServerAddress>>;
// Whether a sorts before b: numbers by value (players, then their limit; ping time), addresses by
// text then port, texts without regard to letter case; rows never refreshed last (but by address).
bool SortsBefore(const ServerRow& a, const ServerRow& b, const RowOrder& order);
// The favourite column's cell: a star, "not listed" beside it when no master lists it any more.
std::wstring FavouriteText(const ServerRow& row);

// Texts without regard to letter case (ASCII and Latin-1 letters): -1, 0 or 1 as a is before,
// level with or after b; whether they are the same; whether text holds part.
int CompareFolded(std::wstring_view a, std::wstring_view b);
bool SameFolded(std::wstring_view a, std::wstring_view b);
bool ContainsFolded(std::wstring_view text, std::wstring_view part);
