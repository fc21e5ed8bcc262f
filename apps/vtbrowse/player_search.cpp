#include "apps/vtbrowse/player_search.h"

#include "text/utf8_text.h"

std::vector<std::wstring> PlayerNames(const ServerRow& row) {
    std::vector<std::wstring> names;
    if (!LastPingAnswered(row)) return names;
    for (const NamedTable& named : row.last.tables) {
        if (!named.table.isUserTable) continue;
        for (const TableRow& cells : named.table.rows) {
            if (!cells.empty() && cells[0]) names.push_back(*cells[0]);
        }
    }
    return names;
}

std::vector<PlayerSighting> FindPlayers(const std::vector<ServerRow>& rows, std::wstring_view text) {
    std::vector<PlayerSighting> found;
    if (text.empty()) return found;
    for (const ServerRow& row : rows) {
        for (std::wstring& name : PlayerNames(row)) {
            if (!ContainsFolded(name, text)) continue;
            found.push_back(PlayerSighting{row.id, std::move(name), row.last.status.serverName,
                                           WideFromUtf8(row.address.Text()), row.last.status.mapName});
        }
    }
    return found;
}
