// vtquery --json: the whole refresh as one JSON document.
#pragma once

#include <string>
#include <vector>

#include "apps/masters/master_outcome.h"
#include "apps/vtquery/refresh_totals.h"

struct ReportedError {
    std::string title;
    std::string text;
};

// {"servers":[...],"errors":[...],"total":{...}}: per server its address, port, outcome,
// status fields, the rules and players rows as the plugin left them (unset cell -> null),
// elapsedMs (the last ping call) and pingMs {min, median, max}.
std::string FormatJsonReport(const std::vector<ServerResult>& results,
                             const std::vector<ReportedError>& errors, const RefreshTotals& totals);

// The same document written a batch of servers at a time, so that a long list's report is
// never held whole: Begin, then Servers for each batch, then End. The masters asked, if any,
// come first, as a "masters" array.
class JsonReportStream {
public:
    std::string Begin(const std::vector<MasterOutcome>& masters = {}) const;
    std::string Servers(const std::vector<ServerResult>& batch);
    std::string End(const std::vector<ReportedError>& errors, const RefreshTotals& totals) const;

private:
    bool written_ = false;  // some server was written: the next comes after a comma
};
