#include "apps/shared/server_result.h"

#include "text/utf8_text.h"

namespace {

ResultTable ReadTable(const HostServerData& data, const std::wstring& name) {
    const HostTable table = data.Table(name);
    ResultTable result;
    result.title = Utf8FromWide(table.title);
    for (int column = 0; column < table.columnCount; ++column) {
        const auto heading = table.columnNames.find(column);
        result.headings.push_back(heading == table.columnNames.end() ? "" : Utf8FromWide(heading->second));
    }
    for (const TableRow& row : table.rows) {
        ResultRow cells;
        for (const TableCell& cell : row) {
            cells.push_back(cell ? ResultCell(Utf8FromWide(*cell)) : std::nullopt);
        }
        result.rows.push_back(std::move(cells));
    }
    return result;
}

}  // namespace

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Success:
            return "success";
        case Outcome::Timeout:
            return "timeout";
        case Outcome::Failure:
            break;
    }
    return "failure";
}

Outcome ClassifyOutcome(const HostServerStatus& status) {
    if (status.recorded == RecordedOutcome::PlayerCount) return Outcome::Success;
    if (status.statusText == L"Timeout") return Outcome::Timeout;
    return Outcome::Failure;
}

ServerResult ReadServerResult(const ServerAddress& server, const HostServerData& data,
                              std::vector<double> pingMs) {
    const HostServerStatus status = data.Status();
    ServerResult result;
    result.server = server;
    result.outcome = ClassifyOutcome(status);
    result.serverName = Utf8FromWide(status.serverName);
    result.mapName = Utf8FromWide(status.mapName);
    result.statusText = Utf8FromWide(status.statusText);
    result.statusDetail = Utf8FromWide(status.statusDetail);
    result.playerCount = status.playerCount;
    result.maxPlayers = status.maxPlayers;
    // The plugin names its players table as the host's user table; its other table holds the
    // server's rules. The names are the plugin's to choose.
    for (const std::wstring& name : data.TableNames()) {
        ResultTable& into = data.Table(name).isUserTable ? result.players : result.rules;
        into = ReadTable(data, name);
    }
    result.pingMs = std::move(pingMs);
    return result;
}

RefreshTotals CountOutcomes(const std::vector<ServerResult>& results) {
    RefreshTotals totals;
    AddOutcomes(totals, results);
    return totals;
}

void AddOutcomes(RefreshTotals& totals, const std::vector<ServerResult>& results) {
    for (const ServerResult& result : results) {
        ++totals.servers;
        totals.pings += static_cast<int>(result.pingMs.size());
        switch (result.outcome) {
            case Outcome::Success:
                ++totals.successes;
                break;
            case Outcome::Timeout:
                ++totals.timeouts;
                break;
            case Outcome::Failure:
                ++totals.failures;
                break;
        }
    }
}
