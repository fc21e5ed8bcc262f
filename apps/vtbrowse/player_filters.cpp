#include "apps/vtbrowse/player_filters.h"

#include <algorithm>

namespace {

bool RuleIs(const ServerRow& row, std::wstring_view key, std::wstring_view wanted) {
    const std::optional<std::wstring> value = RuleValue(row, key);
    return value && SameFolded(*value, wanted);
}

}  // namespace

std::optional<std::wstring> RuleValue(const ServerRow& row, std::wstring_view key) {
    if (!LastPingAnswered(row)) return std::nullopt;
    for (const NamedTable& named : row.last.tables) {
        if (named.table.isUserTable) continue;
        for (const TableRow& cells : named.table.rows) {
            if (cells.size() >= 2 && cells[0] && *cells[0] == key && cells[1]) return *cells[1];
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::wstring> RuleValuesSeen(const std::vector<ServerRow>& rows, std::wstring_view key) {
    std::vector<std::wstring> values;
    for (const ServerRow& row : rows) {
        std::optional<std::wstring> value = RuleValue(row, key);
        if (!value || value->empty()) continue;
        const bool known = std::any_of(values.begin(), values.end(),
                                       [&](const std::wstring& seen) { return SameFolded(seen, *value); });
        if (!known) values.push_back(std::move(*value));
    }
    std::sort(values.begin(), values.end(),
              [](const std::wstring& a, const std::wstring& b) { return CompareFolded(a, b) < 0; });
    return values;
}

bool PassesPlayerFilters(const ServerRow& row, const RowFilter& filter) {
    if (filter.favouritesOnly && !row.origin.favourite) return false;
    if (!filter.gameType.empty() && !RuleIs(row, GameTypeRule, filter.gameType)) return false;
    if (!filter.mod.empty() && !RuleIs(row, ModRule, filter.mod)) return false;
    if (filter.password != PasswordFilter::Any) {
        const std::optional<std::wstring> needed = RuleValue(row, PasswordRule);
        if (!needed || needed->empty()) return false;
        if ((*needed != L"0") != (filter.password == PasswordFilter::Required)) return false;
    }
    if (filter.pingUnderMs > 0 && (!LastPingAnswered(row) || !(row.last.pingMs < filter.pingUnderMs)))
        return false;
    return true;
}
