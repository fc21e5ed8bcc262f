// vtquery's plain-text output: summary lines, the -v tables, the total and progress lines.
#pragma once

#include <string>
#include <vector>

#include "apps/vtquery/refresh_totals.h"

// One line per server, columns aligned across servers: address, outcome, name, map,
// players/max, status line and the ping call's duration (min/median/max after --count).
std::vector<std::string> FormatSummaryLines(const std::vector<ServerResult>& results);

// A result table as aligned text under its title, indented by two blanks; unset cells are
// blank. Rows wider than the declared headings get unnamed columns.
std::string FormatTable(const ResultTable& table);

// The summary lines, each followed by the server's tables when verbose; ends with a newline.
std::string FormatTextReport(const std::vector<ServerResult>& results, bool verbose);

// "total: 5 servers, 3 success, 1 timeout, 1 failure in 2.01 s (2.5 pings/s)"
std::string FormatTotalLine(const RefreshTotals& totals);

// "refreshing 37/100 servers", for the progress line on a terminal.
std::string FormatProgress(int done, int total);
