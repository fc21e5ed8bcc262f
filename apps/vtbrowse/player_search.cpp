#include "apps/vtbrowse/player_search.h"

#include "text/utf8_text.h"

std::vector<PlayerSighting> FindPlayers(const std::vector<ServerRow>& rows, std::wstring_view text) {
    std::vector<PlayerSighting> found;
    if (text.empty()) return found;
    for (const ServerRow& row : rows) {
        if (!row.refreshed || row.outcome != Outcome::Success) continue;
        for (const NamedTable& named : row.last.tables) {
            if (!named.table.isUserTable) continue;
            // The user table's first column names the player.
            for (const TableRow& cells : named.table.rows) {
                if (cells.empty() || !cells[0] || !ContainsFolded(*cells[0], text)) continue;
                found.push_back(PlayerSighting{row.id, *cells[0], row.last.status.serverName,
                                               WideFromUtf8(row.address.Text()), row.last.status.mapName});
            }
        }
    }
    return found;
}
