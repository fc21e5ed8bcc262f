// vtquery --json: the whole refresh as one JSON document.
#pragma once

#include <string>
#include <vector>

#include "apps/shared/server_result.h"

struct ReportedError {
    std::string title;
    std::string text;
};

// {"servers":[...],"errors":[...],"total":{...}}: per server its address, port, outcome,
// status fields, the rules and players rows as the plugin left them (unset cell -> null),
// elapsedMs (the last ping call) and pingMs {min, median, max}.
std::string FormatJsonReport(const std::vector<ServerResult>& results,
                             const std::vector<ReportedError>& errors, const RefreshTotals& totals);
