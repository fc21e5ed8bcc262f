// Results read back from the host objects as the plugin leaves them, printed as text and JSON.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "apps/vtquery/json_report.h"
#include "apps/vtquery/text_report.h"
#include "plugin/boundary/table_layout.h"
#include "plugin/query/ping_outcome.h"

using nlohmann::json;
using ::testing::HasSubstr;

namespace {

// A result record laid out and filled by the plugin's own writers.
class FilledData : public ::testing::Test {
protected:
    FilledData() : data(HostRef<HostServerData>::Adopt(HostServerData::Create())) {
        LayOutResultTables(*data);
    }

    void Row(const wchar_t* table, std::vector<const wchar_t*> cells) {
        const int row = data->GetRowCount(table);
        data->AddRow(table);
        for (size_t column = 0; column < cells.size(); ++column) {
            if (cells[column]) data->SetCell(table, static_cast<int>(column), row, cells[column]);
        }
    }

    // The results of a server that answered after pings of answeredMs, then of one whose host
    // was not found after pings of failedMs, read back as the plugin left them.
    std::vector<ServerResult> AnsweredThenFailed(std::vector<double> answeredMs,
                                                 std::vector<double> failedMs) {
        Row(L"PropertiesTable", {L"gamename", L"Tribes"});
        Row(L"PropertiesTable", {L"Team 1", L"Blood Eagle", L"5"});
        Row(L"UsersTable", {L"J\u00e9t", nullptr, L"Blood Eagle"});
        WriteSuccess(*data, L"Alpha", L"Raindance", 1, 32);
        std::vector<ServerResult> results{ReadServerResult(*data, std::move(answeredMs))};
        results[0].server = ServerAddress{"127.0.0.1", 28001};

        WriteFailure(*data, L"Host not found.");
        results.push_back(ReadServerResult(*data, std::move(failedMs)));
        results[1].server = ServerAddress{"no-such-host.invalid", 2};
        return results;
    }

    HostRef<HostServerData> data;
};

TEST_F(FilledData, JsonCarriesEveryFieldWithNullForUnsetCells) {
    const std::vector<ServerResult> results = AnsweredThenFailed({4.0, 2.0, 9.0}, {1.0});
    RefreshTotals totals = CountOutcomes(results);
    totals.phases = {0.25, 1.5, 0.5, 0.125};

    const json document =
        json::parse(FormatJsonReport(results, {{"Plugin Error", "A error occured"}}, totals));
    const json& first = document.at("servers").at(0);
    const json expected =
        json::parse(R"({"address":"127.0.0.1","port":28001,"outcome":"success","serverName":"Alpha",
        "mapName":"Raindance","playerCount":1,"maxPlayers":32,"statusText":"1/32 players on Alpha",
        "rules":[["gamename","Tribes"],["Team 1","Blood Eagle","5"]],"players":[["J\u00e9t",null,"Blood Eagle"]],
        "elapsedMs":9,"pingMs":{"min":2.0,"median":4.0,"max":9.0}})");
    for (const auto& [key, value] : expected.items()) EXPECT_EQ(first.value(key, json()), value) << key;
    EXPECT_EQ(document.at("servers").at(1).at("outcome"), "failure");
    EXPECT_EQ(document.at("servers").at(1).at("statusDetail"), "Host not found.");
    EXPECT_EQ(document.at("errors"), json::parse(R"([{"title":"Plugin Error","text":"A error occured"}])"));
    EXPECT_EQ(document.at("total").at("successes"), 1);
    EXPECT_EQ(document.at("total").at("failures"), 1);
    EXPECT_EQ(document.at("total").at("pings"), 4);
    EXPECT_EQ(document.at("total").at("pingsPerSecond"), 8.0);
    EXPECT_EQ(document.at("total").at("phases"),
              json::parse(
                  R"({"loadSeconds":0.25,"createSeconds":1.5,"refreshSeconds":0.5,"removeSeconds":0.125})"));
}

TEST_F(FilledData, TextAlignsColumnsAndShowsFailureReason) {
    const std::vector<ServerResult> results = AnsweredThenFailed({12.0}, {1.0, 3.0});

    const std::vector<std::string> lines = FormatSummaryLines(results);
    EXPECT_EQ(lines[0],
              "127.0.0.1:28001         success  Alpha                  Raindance  1/32  "
              "1/32 players on Alpha                    12 ms");
    EXPECT_EQ(lines[1],
              "no-such-host.invalid:2  failure  Failed to Communicate             0/0   "
              "Failed to Communicate (Host not found.)  min/median/max 1/2/3 ms");

    // Unset cells are blank, an unnamed third column still lines up, and the rule spans it.
    EXPECT_EQ(FormatTable(results[0].rules),
              "  Rules\n"
              "    Name      Value\n"
              "    --------  -----------  -\n"
              "    gamename  Tribes\n"
              "    Team 1    Blood Eagle  5\n");
    EXPECT_EQ(FormatTable(results[0].players),
              "  Players\n"
              "    Name  Score  Team         Ping  Packet Loss\n"
              "    ----  -----  -----------  ----  -----------\n"
              "    J\xc3\xa9t          Blood Eagle\n");
    EXPECT_THAT(FormatTextReport(results, true), HasSubstr("  Players\n    (none)\n"));
    RefreshTotals totals = CountOutcomes(results);
    totals.phases = {0.25, 1.5, 2.0, 0.125};
    EXPECT_EQ(FormatTotalLine(totals),
              "total: 2 servers, 1 success, 0 timeout, 1 failure in 2.000 s (1.5 pings/s); load 0.250 s, "
              "sessions 1.500 s, removal and unload 0.125 s");
}

}  // namespace
