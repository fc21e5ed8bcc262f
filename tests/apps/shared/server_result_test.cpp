#include "apps/shared/server_result.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

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

}  // namespace
