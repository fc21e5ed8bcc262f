#include "apps/vtbrowse/model/player_search.h"

#include <algorithm>

#include "apps/vtbrowse/model/player_filters.h"

std::vector<std::wstring> PlayerNames(const ServerRow& row) {
    std::vector<std::wstring> names;
    if (!LastPingAnswered(row)) return names;
    for (const TableRow& cells : row.last.players.rows) {
        if (!cells.empty() && cells[0]) names.push_back(*cells[0]);
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
                                           row.address.WideText(), row.last.status.mapName});
        }
    });
    return found;
}

std::vector<std::vector<std::wstring>> RuleValuesSeen(const ServerTable& rows,
                                                      const std::vector<std::wstring_view>& keys) {
    std::vector<std::vector<std::wstring>> seen(keys.size());
    rows.ForEach([&](const ServerRow& row) {
        for (size_t key = 0; key < keys.size(); ++key) {
            const std::wstring* value = RuleValue(row, keys[key]);
            if (!value || value->empty()) continue;
            std::vector<std::wstring>& values = seen[key];
            const bool known = std::any_of(values.begin(), values.end(), [&](const std::wstring& other) {
                return SameFolded(other, *value);
            });
            if (!known) values.push_back(*value);
        }
    });
    for (std::vector<std::wstring>& values : seen) {
        std::sort(values.begin(), values.end(),
                  [](const std::wstring& a, const std::wstring& b) { return CompareFolded(a, b) < 0; });
    }
    return seen;
}
