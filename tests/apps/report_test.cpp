// Reading results back from the host objects and printing them as text and JSON.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cwctype>
#include <nlohmann/json.hpp>

#include "apps/vtquery/json_report.h"
#include "apps/vtquery/text_report.h"
#include "host/text/utf8_text.h"
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

// Which table holds the players is the host's user table, wherever the plugin added it; the
// first of each kind counts. Outcome and declared columns as the plugin left them.
TEST(ReadServerResult, TakesThePlayersFromTheUserTableAndTheRulesFromTheOther) {
    const struct {
        const char* what;
        std::wstring added;     // a table per letter, in order; upper case: made the user table
        const wchar_t* status;  // null: a player count is recorded
        Outcome outcome;
        const wchar_t* players;
        const wchar_t* rules;
    } cases[] = {
        {"rules added first", L"pU", nullptr, Outcome::Success, L"U", L"p"},
        {"players added first", L"Up", L"Timeout", Outcome::Timeout, L"U", L"p"},
        {"the first of a kind", L"UpVq", L"Failed", Outcome::Failure, L"U", L"p"},
        {"no players' table", L"p", nullptr, Outcome::Success, L"", L"p"},
        {"nothing written", L"", L"", Outcome::Failure, L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
        for (const wchar_t letter : c.added) {
            const std::wstring name(1, letter);
            data->AddTable(name);
            if (std::iswupper(letter)) data->SetUserTable(name);
            data->SetColumnCount(name, 3);
            data->SetColumnName(name, 0, name);
            data->SetColumnWidth(name, 1, 40);
            data->AddRow(name);
            data->SetCell(name, 3, 0, L"past the columns");
        }
        if (c.status) data->SetStatusText(c.status);
        if (!c.status) data->RecordPlayerCount(0);
        const ServerResult result = ReadServerResult(*data, {2.0, 5.0});
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.players.name, c.players);
        EXPECT_EQ(result.rules.name, c.rules);
        EXPECT_EQ(result.LastPingMs(), 5.0);
        for (const ResultTable* table : {&result.players, &result.rules}) {
            if (!table->Present()) continue;
            const std::vector<ResultColumn> declared{
                {table->name, std::nullopt}, {L"", 40}, {L"", std::nullopt}};
            EXPECT_EQ(table->columns, declared);
            ASSERT_EQ(table->rows.size(), 1u);
            EXPECT_EQ(table->rows[0],
                      (TableRow{std::nullopt, std::nullopt, std::nullopt, L"past the columns"}));
        }
    }
}

TEST(Utf8Text, RoundTripsBeyondTheBasicPlaneAndReplacesBrokenInput) {
    const std::wstring wide = WideFromUtf8("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(Utf8FromWide(wide), "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(DisplayWidth("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), 4u);
    EXPECT_EQ(Utf8FromWide(WideFromUtf8("x\xff\xc3")), "x\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(Utf8FromWide(WideFromUtf8("\xc0\xaf")), "\xef\xbf\xbd\xef\xbf\xbd") << "overlong";
}

}  // namespace
