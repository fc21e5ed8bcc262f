// What one ping left in a server's host objects, read out once when the ping ended (vtbrowse: on
// the pinging worker; vtquery: with its batch) in the host objects' own text (UTF-16 on Windows).
// Both host programs keep it as read, so neither reads host objects that a ping may be changing,
// and text is converted only where it leaves for the console or a JSON report.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apps/shared/server_address.h"
#include "host/services/server_objects.h"

enum class Outcome { Success, Timeout, Failure };

const char* OutcomeName(Outcome outcome);  // "success", "timeout", "failure"

// A declared column of a result table: its heading (empty when the plugin named none) and the
// width the plugin gave it in the host's unit, if any.
struct ResultColumn {
    std::wstring heading;
    std::optional<int> width;

    bool operator==(const ResultColumn& other) const {
        return heading == other.heading && width == other.width;
    }
};

// One of the plugin's result tables; its rows may be wider than its declared columns (the rules
// table's team scores), and a cell the plugin never set is an empty optional.
struct ResultTable {
    std::wstring name;  // as the plugin added it; empty when it added no such table
    std::wstring title;
    std::vector<ResultColumn> columns;
    std::vector<TableRow> rows;

    bool Present() const { return !name.empty(); }
};

struct ServerResult {
    ServerAddress server;  // where the host program keeps it with the result (vtquery's reports)
    Outcome outcome = Outcome::Failure;
    HostServerStatus status;     // as the plugin wrote it
    ResultTable players;         // the plugin's user table
    ResultTable rules;           // its other table: the server's rules
    std::vector<double> pingMs;  // duration of each ping call, in call order

    double LastPingMs() const { return pingMs.empty() ? 0 : pingMs.back(); }
};

// The outcome the plugin wrote: a recorded player count is an answer, the status "Timeout" a
// timeout, anything else (including nothing at all) a failure.
Outcome ClassifyOutcome(const HostServerStatus& status);

// Reads status and both result tables of data as they stand. The plugin names its players' table
// as the host's user table; the first table it added of each kind is taken.
ServerResult ReadServerResult(const HostServerData& data, std::vector<double> pingMs);
