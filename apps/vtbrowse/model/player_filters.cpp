#include "apps/vtbrowse/model/player_filters.h"

namespace {

bool RuleIs(const ServerRow& row, std::wstring_view key, std::wstring_view wanted) {
    const std::wstring* value = RuleValue(row, key);
    return value && SameFolded(*value, wanted);
}

// The players' filters: game type to favourites only.
bool PassesPlayerFilters(const ServerRow& row, const RowFilter& filter) {
    if (filter.favouritesOnly && !row.origin.favourite) return false;
    if (!filter.gameType.empty() && !RuleIs(row, GameTypeRule, filter.gameType)) return false;
    if (!filter.mod.empty() && !RuleIs(row, ModRule, filter.mod)) return false;
    if (filter.password != PasswordFilter::Any) {
        const std::wstring* needed = RuleValue(row, PasswordRule);
        if (!needed || needed->empty()) return false;
        if ((*needed != L"0") != (filter.password == PasswordFilter::Required)) return false;
    }
    if (filter.pingUnderMs > 0 && (!LastPingAnswered(row) || !(row.last.LastPingMs() < filter.pingUnderMs)))
        return false;
    return true;
}

}  // namespace

const std::wstring* RuleValue(const ServerRow& row, std::wstring_view key) {
    if (!LastPingAnswered(row)) return nullptr;
    for (const TableRow& cells : row.last.rules.rows) {
        if (cells.size() >= 2 && cells[0] && *cells[0] == key && cells[1]) return &*cells[1];
    }
    return nullptr;
}

bool Passes(const ServerRow& row, const RowFilter& filter) {
    const HostServerStatus& status = row.last.status;
    const bool answered = LastPingAnswered(row);
    if (filter.hideSilent && row.refreshed && !answered) return false;
    if (filter.hideEmpty && answered && status.playerCount == 0) return false;
    if (filter.hideFull && answered && status.maxPlayers > 0 && status.playerCount >= status.maxPlayers)
        return false;
    if (!filter.text.empty() && !ContainsFolded(status.serverName, filter.text) &&
        !ContainsFolded(status.mapName, filter.text))
        return false;
    return PassesPlayerFilters(row, filter);
}
