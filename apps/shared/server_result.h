// What one refresh found out about one server, read back from its host objects in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apps/shared/server_list.h"
#include "host/server_objects.h"

enum class Outcome { Success, Timeout, Failure };

const char* OutcomeName(Outcome outcome);  // "success", "timeout", "failure"

using ResultCell = std::optional<std::string>;  // a cell the plugin never set is empty
using ResultRow = std::vector<ResultCell>;

struct ResultTable {
    std::string title;
    std::vector<std::string> headings;  // as declared by the plugin; rows may be wider
    std::vector<ResultRow> rows;
};

struct ServerResult {
    ServerAddress server;
    Outcome outcome = Outcome::Failure;
    std::string serverName;
    std::string mapName;
    std::string statusText;
    std::string statusDetail;
    int playerCount = 0;
    int maxPlayers = 0;
    ResultTable rules;           // the plugin's table that is not the user table
    ResultTable players;         // the plugin's user table
    std::vector<double> pingMs;  // duration of each ping call, in call order
};

// The outcome the plugin wrote: a recorded player count is an answer, the status "Timeout" a
// timeout, anything else (including nothing at all) a failure.
Outcome ClassifyOutcome(const HostServerStatus& status);

// Reads status and both result tables from the server's result record.
ServerResult ReadServerResult(const ServerAddress& server, const HostServerData& data,
                              std::vector<double> pingMs);

// Where a run's time went, in seconds; with batches each phase is the sum over the batches.
struct RunPhases {
    double loadSeconds = 0;     // the plugin loaded and initialised
    double createSeconds = 0;   // sessions made
    double refreshSeconds = 0;  // pings: from the first ping's start to the last one's end
    double removeSeconds = 0;   // sessions removed and the plugin unloaded
};

struct RefreshTotals {
    int servers = 0;
    int successes = 0;
    int timeouts = 0;
    int failures = 0;
    int pings = 0;
    RunPhases phases;
    size_t batches = 0;      // groups of sessions made, pinged and removed in turn
    size_t mostWindows = 0;  // the plugin's network windows alive at once, at the most
    int mostThreads = 0;     // ping workers at once, at the most
};

RefreshTotals CountOutcomes(const std::vector<ServerResult>& results);
// Adds the outcomes and pings of results (a batch) to totals.
void AddOutcomes(RefreshTotals& totals, const std::vector<ServerResult>& results);
