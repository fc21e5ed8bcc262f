#include "apps/vtquery/json_report.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "apps/vtquery/master_report.h"
#include "apps/vtquery/ping_stats.h"
#include "host/text/utf8_text.h"

// Keys keep the order written here, the order a reader expects.
using json = nlohmann::ordered_json;

namespace {

double Tenths(double value) {
    return std::round(value * 10) / 10;
}

double Thousandths(double value) {
    return std::round(value * 1000) / 1000;
}

json Rows(const ResultTable& table) {
    json rows = json::array();
    for (const TableRow& row : table.rows) {
        json cells = json::array();
        for (const TableCell& cell : row) cells.push_back(cell ? json(Utf8FromWide(*cell)) : json(nullptr));
        rows.push_back(std::move(cells));
    }
    return rows;
}

json ServerJson(const ServerResult& result) {
    const PingStats stats = SummarizeDurations(result.pingMs);
    const HostServerStatus& status = result.status;
    return json{{"address", result.server.address},
                {"port", result.server.port},
                {"outcome", OutcomeName(result.outcome)},
                {"serverName", Utf8FromWide(status.serverName)},
                {"mapName", Utf8FromWide(status.mapName)},
                {"playerCount", status.playerCount},
                {"maxPlayers", status.maxPlayers},
                {"statusText", Utf8FromWide(status.statusText)},
                {"statusDetail", Utf8FromWide(status.statusDetail)},
                {"rules", Rows(result.rules)},
                {"players", Rows(result.players)},
                {"elapsedMs", std::lround(result.LastPingMs())},
                {"pingMs",
                 {{"min", Thousandths(stats.min)},
                  {"median", Thousandths(stats.median)},
                  {"max", Thousandths(stats.max)}}}};
}

// A value dumped with two blanks a level, its lines after the first indented by indent more.
std::string Nested(const json& value, const std::string& indent) {
    std::string text = value.dump(2);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        text.insert(at + 1, indent);
    }
    return text;
}

json TotalJson(const RefreshTotals& totals) {
    const RunPhases& phases = totals.phases;
    const double rate = phases.refreshSeconds > 0 ? totals.pings / phases.refreshSeconds : 0;
    return json{{"servers", totals.servers},
                {"successes", totals.successes},
                {"timeouts", totals.timeouts},
                {"failures", totals.failures},
                {"pings", totals.pings},
                {"wallSeconds", Thousandths(phases.refreshSeconds)},
                {"pingsPerSecond", Tenths(rate)},
                {"phases",
                 {{"loadSeconds", Thousandths(phases.loadSeconds)},
                  {"createSeconds", Thousandths(phases.createSeconds)},
                  {"refreshSeconds", Thousandths(phases.refreshSeconds)},
                  {"removeSeconds", Thousandths(phases.removeSeconds)}}},
                {"batches", totals.batches},
                {"mostWindows", totals.mostWindows},
                {"mostThreads", totals.mostThreads}};
}

}  // namespace

std::string FormatJsonReport(const std::vector<ServerResult>& results,
                             const std::vector<ReportedError>& errors, const RefreshTotals& totals) {
    JsonReportStream stream;
    return stream.Begin() + stream.Servers(results) + stream.End(errors, totals);
}

std::string JsonReportStream::Begin(const std::vector<MasterOutcome>& masters) const {
    const std::string asked =
        masters.empty() ? "" : "  \"masters\": " + Nested(MastersJson(masters), "  ") + ",\n";
    return "{\n" + asked + "  \"servers\": [";
}

std::string JsonReportStream::Servers(const std::vector<ServerResult>& batch) {
    std::string text;
    for (const ServerResult& result : batch) {
        text += written_ ? ",\n    " : "\n    ";
        text += Nested(ServerJson(result), "    ");
        written_ = true;
    }
    return text;
}

std::string JsonReportStream::End(const std::vector<ReportedError>& errors,
                                  const RefreshTotals& totals) const {
    json reported = json::array();
    for (const ReportedError& error : errors)
        reported.push_back({{"title", error.title}, {"text", error.text}});
    return std::string(written_ ? "\n  ]" : "]") + ",\n  \"errors\": " + Nested(reported, "  ") +
           ",\n  \"total\": " + Nested(TotalJson(totals), "  ") + "\n}\n";
}
