// vtbrowse's portable half: the rows and their order (their filters are the players' tests'), the
// history the chart draws, the detail pages, the player search, the refresh tally's wording.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "apps/vtbrowse/count_chart.h"
#include "apps/vtbrowse/detail_pages.h"
#include "apps/vtbrowse/player_search.h"
#include "apps/vtbrowse/refresh_tally.h"
#include "apps/vtbrowse/server_table.h"
#include "apps/vtbrowse/shown_order.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// What a ping leaves for a server that answered (players > -1) or did not (players -1: the
// plugin's timeout writes), with the outcome recorded as the plugin records it.
ServerResult Ping(const std::wstring& name, const std::wstring& map, int players, int maxPlayers, double ms,
                  int recordCount) {
    ServerResult result;
    HostServerStatus& status = result.status;
    status.serverName = players < 0 ? L"Timeout" : name;
    status.statusText = players < 0 ? L"Timeout" : L"answered";
    status.mapName = players < 0 ? L"" : map;
    status.playerCount = std::max(players, 0);
    status.maxPlayers = players < 0 ? 0 : maxPlayers;
    status.recorded = players < 0 ? RecordedOutcome::NoResponse : RecordedOutcome::PlayerCount;
    status.recordedPlayerCount = std::max(players, 0);
    status.recordCount = recordCount;
    result.outcome = ClassifyOutcome(status);
    result.pingMs = {ms};
    return result;
}

ServerRow Row(ServerId id, const std::string& address, int port) {
    ServerRow row;
    row.id = id;
    row.address = ServerAddress{address, port};
    return row;
}

// Four servers: Alpha 12/32 on Raindance, bravo 30/30 on Sidewinder, Charlie 0/16 on Broadside,
// one silent; and one never refreshed.
std::vector<ServerRow> Fleet() {
    std::vector<ServerRow> rows{Row(1, "127.0.0.1", 28003), Row(2, "127.0.0.1", 28001),
                                Row(3, "127.0.0.1", 28002), Row(4, "10.0.0.9", 1), Row(5, "127.0.0.1", 9)};
    ApplyResult(rows[0], Ping(L"Alpha", L"Raindance", 12, 32, 4, 1));
    ApplyResult(rows[1], Ping(L"bravo", L"Sidewinder", 30, 30, 9, 1));
    ApplyResult(rows[2], Ping(L"Charlie", L"Broadside", 0, 16, 2, 1));
    ApplyResult(rows[3], Ping(L"", L"", -1, 0, 2004, 1));
    return rows;
}

TEST(ServerRows, CellsShowWhatThePluginWrote) {
    const std::vector<ServerRow> rows = Fleet();
    std::vector<std::wstring> alpha;
    for (int column = 0; column < RowColumnCount; ++column)
        alpha.push_back(CellText(rows[0], RowColumn(column)));
    EXPECT_THAT(alpha,
                ElementsAre(L"Alpha", L"127.0.0.1:28003", L"Raindance", L"12/32", L"answered", L"4 ms", L""));
    EXPECT_EQ(CellText(rows[3], RowColumn::Name), L"Timeout");
    EXPECT_EQ(CellText(rows[4], RowColumn::Status), L"not refreshed yet");
    EXPECT_EQ(CellText(rows[4], RowColumn::Players), L"");
    EXPECT_EQ(rows[3].last.outcome, Outcome::Timeout);
}

TEST(RowOrdering, SortsByColumnWithRowsNeverRefreshedLast) {
    const struct {
        RowOrder order;
        std::vector<ServerId> expected;
    } cases[] = {
        // Letter case aside: Alpha, bravo, Charlie, Timeout.
        {{RowColumn::Name, false}, {1, 2, 3, 4, 5}},
        {{RowColumn::Name, true}, {4, 3, 2, 1, 5}},
        // By text, then by port as a number (9 before 28001).
        {{RowColumn::Address, false}, {4, 5, 2, 3, 1}},
        // By count, then limit: 0/0 (silent) before 0/16.
        {{RowColumn::Players, false}, {4, 3, 1, 2, 5}},
        {{RowColumn::Players, true}, {2, 1, 3, 4, 5}},
        {{RowColumn::Ping, false}, {3, 1, 2, 4, 5}},
        {{RowColumn::Map, false}, {4, 3, 1, 2, 5}},
    };
    for (const auto& c : cases) {
        std::vector<ServerId> shown;  // as the list asks the table for its rows
        ServerTable(Fleet()).VisibleOrder(RowFilter{}, c.order, shown);
        EXPECT_EQ(shown, c.expected) << static_cast<int>(c.order.column);
    }
}

// One answer after the order was made: whether the list may keep it or must sort again.
TEST(ShownOrder, HoldsUntilAnAnswerMovesARowOrChangesWhatShows) {
    const struct {
        const char* what;
        RowColumn column;
        bool hideEmpty;
        ServerId answered;
        ServerResult answer;
        bool holds;
    } cases[] = {
        {"a new ping time, sorted by name", RowColumn::Name, false, 1,
         Ping(L"Alpha", L"Raindance", 12, 32, 7, 2), true},
        {"a new name past the others", RowColumn::Name, false, 1, Ping(L"Zulu", L"Raindance", 12, 32, 4, 2),
         false},
        {"a ping time still between its neighbours", RowColumn::Ping, false, 1,
         Ping(L"Alpha", L"Raindance", 12, 32, 5, 2), true},
        {"a ping time past a neighbour", RowColumn::Ping, false, 1,
         Ping(L"Alpha", L"Raindance", 12, 32, 1, 2), false},
        {"a hidden server that now passes", RowColumn::Name, true, 3,
         Ping(L"Charlie", L"Broadside", 5, 16, 2, 2), false},
        {"a shown server that no longer passes", RowColumn::Name, true, 1,
         Ping(L"Alpha", L"Raindance", 0, 32, 4, 2), false},
        {"a first answer: refreshed rows go first", RowColumn::Name, false, 5,
         Ping(L"Aaron", L"", 1, 8, 3, 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ServerTable table(Fleet());
        RowFilter filter;
        filter.hideEmpty = c.hideEmpty;
        ShownOrder shown;
        shown.Make(table, filter, RowOrder{c.column, false});
        table.Answered(c.answered, c.answer, false);
        EXPECT_EQ(shown.StillHolds(table, {c.answered}), c.holds);
        // Holding means making the order again gives the same; merging the answered row back in
        // gives what making it again gives.
        std::vector<ServerId> again;
        table.VisibleOrder(filter, RowOrder{c.column, false}, again);
        EXPECT_EQ(again == shown.Ids(), c.holds);
        shown.Reorder(table, {c.answered});
        EXPECT_EQ(shown.Ids(), again);
        EXPECT_EQ(shown.PlaceOf(again.back()), again.size() - 1);
    }
}

TEST(ServerRows, HistoryHoldsRecordedCountsAndGapsForPingsWithoutAnAnswer) {
    ServerRow row = Row(1, "127.0.0.1", 1);
    ApplyResult(row, Ping(L"A", L"M", 5, 8, 1, 1));
    ApplyResult(row, Ping(L"", L"", -1, 0, 1, 2));
    ApplyResult(row, Ping(L"A", L"M", 7, 8, 1, 3));
    // A ping that recorded nothing (a fault the plugin trapped) leaves the last record standing.
    ApplyResult(row, Ping(L"A", L"M", 7, 8, 1, 3));
    EXPECT_THAT(row.history, ElementsAre(5, std::nullopt, 7, std::nullopt));
}

TEST(CountChart, ScalesToTheLimitAndBreaksRunsAtGaps) {
    const ChartLayout layout = LayOutChart({4, 8, std::nullopt, 2}, 8, 31, 9);
    EXPECT_EQ(layout.top, 8);
    ASSERT_EQ(layout.runs.size(), 2u);
    // Four points over x 0..30; counts 4 and 8 of 8 over y 8..0: (x, y) of each run's points.
    const auto at = [&](std::size_t run, std::size_t point) {
        return std::pair(layout.runs[run][point].x, layout.runs[run][point].y);
    };
    EXPECT_EQ(at(0, 0), std::pair(0, 4));
    EXPECT_EQ(at(0, 1), std::pair(10, 0));
    EXPECT_EQ(at(1, 0), std::pair(30, 6));
    // A count above the limit raises the top; only the latest refreshes are drawn.
    EXPECT_EQ(LayOutChart({40}, 32, 10, 10).top, 40);
    std::vector<CountPoint> many(ChartRefreshes + 5, 1);
    many.front() = 100;
    EXPECT_EQ(LayOutChart(many, 4, 100, 10).top, 4);
}

TEST(DetailPages, FollowTheDeclaredLayoutPlayersFirstWithUndeclaredCellsInAnUnheadedColumn) {
    ServerResult result;
    result.rules = {L"PropertiesTable", L"Rules", {{L"Name", 140}, {L"Value", 140}}, {}};
    result.rules.rows = {{L"gamename", L"Tribes"}, {L"Team 1", L"Blood Eagle", L"3"}, {std::nullopt, L"x"}};
    result.players = {L"UsersTable", L"Players", {{L"Name", 150}, {L"", std::nullopt}}, {}};
    const std::vector<DetailPage> pages = DetailPages(result);

    EXPECT_THAT(DetailPages(ServerResult{}), IsEmpty()) << "no page for a table the plugin did not add";
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].title, L"Players");
    // A column named without a width, and one neither named nor sized, get the default width.
    ASSERT_EQ(pages[0].columns.size(), 2u);
    EXPECT_EQ(pages[0].columns[0].width, 150);
    EXPECT_EQ(pages[0].columns[1].heading, L"");
    EXPECT_EQ(pages[0].columns[1].width, UndeclaredColumnWidth);
    // The rules' declared columns as the window test reads them back; a third for the cells past them.
    const DetailPage& rulesPage = pages[1];
    ASSERT_EQ(rulesPage.columns.size(), 3u);
    EXPECT_FALSE(rulesPage.columns[2].declared);
    EXPECT_THAT(rulesPage.rows,
                ElementsAre(ElementsAre(L"gamename", L"Tribes", L""),
                            ElementsAre(L"Team 1", L"Blood Eagle", L"3"), ElementsAre(L"", L"x", L"")));
}

TEST(PlayerSearch, ListsWhereANameIsPlayingOnServersThatAnswered) {
    std::vector<ServerRow> rows = Fleet();
    ResultTable users{L"U", L"", {}, {{L"Cobra", L"27"}, {L"Sparrow"}, {std::nullopt}}};
    rows[0].last.players = users;
    rows[0].last.rules = {L"R", L"", {}, {{L"cobra-mod"}}};  // not the players' table: no players' names
    rows[2].last.players = users;
    rows[3].last.players = users;  // silent: its tables are stale

    const ServerTable table(std::move(rows));
    const std::vector<PlayerSighting> found = FindPlayers(table, L"cOB");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].player, L"Cobra");
    EXPECT_EQ(found[0].server, 1u);
    EXPECT_EQ(found[0].address, L"127.0.0.1:28003");
    EXPECT_EQ(found[1].serverName, L"Charlie");
    EXPECT_THAT(FindPlayers(table, L""), IsEmpty());
    EXPECT_THAT(FindPlayers(table, L"Wraith"), IsEmpty());
}

// What the status bar and the log say through a refresh: before, while it runs, while it is
// cancelled, after it.
TEST(RefreshTally, WordsEachStateOfARefresh) {
    RefreshTally tally;
    EXPECT_EQ(tally.Activity(), L"Ready: F5 refreshes, Ctrl+F finds a player, Enter joins");
    tally.Start(4);
    EXPECT_TRUE(tally.Running());
    for (Outcome outcome : {Outcome::Success, Outcome::Success, Outcome::Timeout}) tally.Count(outcome);
    tally.Progress(3, 4);
    EXPECT_EQ(tally.Activity(), L"Refreshing 3 of 4... 2 answered, 1 no answer (Esc cancels)");
    tally.Cancel();
    EXPECT_EQ(
        tally.Activity(),
        L"Cancelling: 3 of 4 refreshed; the servers still being asked have until their time-out to answer");
    tally.Count(Outcome::Failure);
    const std::wstring totals = tally.End(4, 4, 1.234, true);
    EXPECT_EQ(totals, L"Refresh cancelled: 4 of 4 servers in 1.23 s: 2 answered, 1 timed out, 1 failed");
    EXPECT_FALSE(tally.Running());
    EXPECT_EQ(tally.Activity(), totals);

    // A new refresh counts from zero; one server is one.
    tally.Start(1);
    tally.Count(Outcome::Success);
    EXPECT_EQ(tally.End(1, 1, 0.5, false),
              L"Refreshed 1 of 1 server in 0.50 s: 1 answered, 0 timed out, 0 failed");
    EXPECT_EQ(ListCounts(1, 0, 0), L"1 server, 0 shown");
    EXPECT_EQ(ListCounts(7, 5, 30), L"7 servers, 5 shown, every 30 s");
}

}  // namespace
