// What a ping leaves for a server, as the plugin writes it, for the model's tests.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "apps/vtbrowse/model/server_rows.h"

// An answer of players of limit (players -1: none, as the plugin's timeout writes it) from a
// server named name on map, in ms, the plugin's records counted to record; names in its user
// table, rules in its rules table.
inline ServerResult Ping(const std::wstring& name, const std::wstring& map, int players, int limit,
                         double ms = 1, int record = 1, std::vector<std::wstring> names = {},
                         std::vector<std::pair<std::wstring, std::wstring>> rules = {}) {
    ServerResult result;
    HostServerStatus& status = result.status;
    status.serverName = players < 0 ? L"Timeout" : name;
    status.statusText = players < 0 ? L"Timeout" : L"answered";
    status.mapName = players < 0 ? L"" : map;
    status.playerCount = std::max(players, 0);
    status.maxPlayers = players < 0 ? 0 : limit;
    status.recorded = players < 0 ? RecordedOutcome::NoResponse : RecordedOutcome::PlayerCount;
    status.recordedPlayerCount = std::max(players, 0);
    status.recordCount = record;
    result.outcome = ClassifyOutcome(status);
    result.pingMs = {ms};
    for (std::wstring& player : names) result.players.rows.push_back({std::move(player), L"0"});
    for (auto& [key, value] : rules) result.rules.rows.push_back({key, value});
    return result;
}

// Row id of address after a ping that left result; one never refreshed without it.
inline ServerRow RowAfter(ServerId id, ServerAddress address,
                          std::optional<ServerResult> result = std::nullopt) {
    ServerRow row;
    row.id = id;
    row.address = std::move(address);
    if (result) ApplyResult(row, std::move(*result));
    return row;
}
