#include "apps/vtbrowse/player_search.h"

#include <algorithm>

#include "apps/vtbrowse/player_filters.h"
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

std::vector<PlayerSighting> FindPlayers(const ServerTable& rows, std::wstring_view text) {
    std::vector<PlayerSighting> found;
    if (text.empty()) return found;
    rows.ForEach([&](const ServerRow& row) {
        for (std::wstring& name : PlayerNames(row)) {
            if (!ContainsFolded(name, text)) continue;
            found.push_back(PlayerSighting{row.id, std::move(name), row.last.status.serverName,
                                           WideFromUtf8(row.address.Text()), row.last.status.mapName});
        }
    });
    return found;
}

std::vector<std::wstring> RuleValuesSeen(const ServerTable& rows, std::wstring_view key) {
    std::vector<std::wstring> values;
    rows.ForEach([&](const ServerRow& row) {
        const std::wstring* value = RuleValue(row, key);
        if (!value || value->empty()) return;
        const bool known = std::any_of(values.begin(), values.end(),
                                       [&](const std::wstring& seen) { return SameFolded(seen, *value); });
        if (!known) values.push_back(*value);
    });
    std::sort(values.begin(), values.end(),
              [](const std::wstring& a, const std::wstring& b) { return CompareFolded(a, b) < 0; });
    return values;
}
