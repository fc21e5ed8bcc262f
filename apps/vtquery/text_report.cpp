#include "apps/vtquery/text_report.h"

#include <algorithm>
#include <cstdio>

#include "apps/vtquery/ping_stats.h"
#include "host/text/utf8_text.h"

namespace {

using TextRow = std::vector<std::string>;

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string PadTo(const std::string& text, size_t width) {
    const size_t shown = DisplayWidth(text);
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

std::vector<size_t> ColumnWidths(const std::vector<TextRow>& rows) {
    std::vector<size_t> widths;
    for (const TextRow& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], DisplayWidth(row[column]));
        }
    }
    return widths;
}

// Rows as lines whose columns line up; lines carry no trailing blanks.
std::vector<std::string> AlignColumns(const std::vector<TextRow>& rows, const std::string& indent) {
    const std::vector<size_t> widths = ColumnWidths(rows);
    std::vector<std::string> lines;
    for (const TextRow& row : rows) {
        std::string line = indent;
        for (size_t column = 0; column < row.size(); ++column) {
            if (column > 0) line += "  ";
            line += PadTo(row[column], widths[column]);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string DurationText(const std::vector<double>& pingMs) {
    if (pingMs.empty()) return "";
    if (pingMs.size() == 1) return Format("%.0f ms", pingMs.front());
    const PingStats stats = SummarizeDurations(pingMs);
    return Format("min/median/max %.0f", stats.min) + Format("/%.0f", stats.median) +
           Format("/%.0f ms", stats.max);
}

std::string StatusColumn(const ServerResult& result) {
    // A failure's detail is the socket layer's reason, worth showing beside the bare status.
    const HostServerStatus& status = result.status;
    const bool withDetail = result.outcome == Outcome::Failure && !status.statusDetail.empty() &&
                            status.statusDetail != status.statusText;
    return Utf8FromWide(withDetail ? status.statusText + L" (" + status.statusDetail + L")"
                                   : status.statusText);
}

}  // namespace

std::vector<std::string> FormatSummaryLines(const std::vector<ServerResult>& results) {
    std::vector<TextRow> rows;
    for (const ServerResult& result : results) {
        const HostServerStatus& status = result.status;
        rows.push_back({result.server.Text(), OutcomeName(result.outcome), Utf8FromWide(status.serverName),
                        Utf8FromWide(status.mapName),
                        std::to_string(status.playerCount) + "/" + std::to_string(status.maxPlayers),
                        StatusColumn(result), DurationText(result.pingMs)});
    }
    return AlignColumns(rows, "");
}

std::string FormatTable(const ResultTable& table) {
    std::string text = "  " + Utf8FromWide(table.title) + "\n";
    if (table.rows.empty()) return text + "    (none)\n";
    size_t columns = table.columns.size();
    for (const TableRow& row : table.rows) columns = std::max(columns, row.size());
    std::vector<TextRow> rows(1);
    for (const ResultColumn& column : table.columns) rows.back().push_back(Utf8FromWide(column.heading));
    rows.back().resize(columns);
    for (const TableRow& row : table.rows) {
        TextRow cells;
        for (const TableCell& cell : row) cells.push_back(cell ? Utf8FromWide(*cell) : "");
        rows.push_back(std::move(cells));
    }
    // The rule under the headings spans each column's full width.
    TextRow rule;
    for (const size_t width : ColumnWidths(rows))
        rule.push_back(std::string(std::max<size_t>(width, 1), '-'));
    rows.insert(rows.begin() + 1, rule);
    for (const std::string& line : AlignColumns(rows, "    ")) text += line + "\n";
    return text;
}

std::string FormatTextReport(const std::vector<ServerResult>& results, bool verbose) {
    const std::vector<std::string> lines = FormatSummaryLines(results);
    std::string text;
    for (size_t i = 0; i < results.size(); ++i) {
        text += lines[i] + "\n";
        if (!verbose) continue;
        text += FormatTable(results[i].rules);
        text += FormatTable(results[i].players);
        if (i + 1 < results.size()) text += "\n";
    }
    return text;
}

std::string FormatTotalLine(const RefreshTotals& totals) {
    const RunPhases& phases = totals.phases;
    const double rate = phases.refreshSeconds > 0 ? totals.pings / phases.refreshSeconds : 0;
    return "total: " + std::to_string(totals.servers) + " servers, " + std::to_string(totals.successes) +
           " success, " + std::to_string(totals.timeouts) + " timeout, " + std::to_string(totals.failures) +
           " failure in " + Format("%.3f s", phases.refreshSeconds) + Format(" (%.1f pings/s)", rate) +
           Format("; load %.3f s", phases.loadSeconds) + Format(", sessions %.3f s", phases.createSeconds) +
           Format(", removal and unload %.3f s", phases.removeSeconds);
}

std::string FormatProgress(int done, int total) {
    return "refreshing " + std::to_string(done) + "/" + std::to_string(total) + " servers";
}
