// A server's row: its cells as the list shows what the plugin wrote, and the history the chart
// draws. (Their order and filters are the model's tests'.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/apps/vtbrowse/model/answers.h"

namespace {

using ::testing::ElementsAre;

TEST(ServerRows, CellsShowWhatThePluginWrote) {
    const ServerRow alpha = RowAfter(1, {"127.0.0.1", 28003}, Ping(L"Alpha", L"Raindance", 12, 32, 4));
    const ServerRow silent = RowAfter(2, {"10.0.0.9", 1}, Ping(L"", L"", -1, 0, 2004));
    const ServerRow fresh = RowAfter(3, {"127.0.0.1", 9});
    std::vector<std::wstring> cells;
    for (int column = 0; column < RowColumnCount; ++column)
        cells.push_back(CellText(alpha, RowColumn(column)));
    EXPECT_THAT(cells,
                ElementsAre(L"Alpha", L"127.0.0.1:28003", L"Raindance", L"12/32", L"answered", L"4 ms", L""));
    EXPECT_EQ(CellText(silent, RowColumn::Name), L"Timeout");
    EXPECT_EQ(silent.last.outcome, Outcome::Timeout);
    EXPECT_EQ(CellText(fresh, RowColumn::Status), L"not refreshed yet");
    EXPECT_EQ(CellText(fresh, RowColumn::Players), L"");
}

TEST(ServerRows, HistoryHoldsRecordedCountsAndGapsForPingsWithoutAnAnswer) {
    ServerRow row = RowAfter(1, {"127.0.0.1", 1});
    ApplyResult(row, Ping(L"A", L"M", 5, 8, 1, 1));
    ApplyResult(row, Ping(L"", L"", -1, 0, 1, 2));
    ApplyResult(row, Ping(L"A", L"M", 7, 8, 1, 3));
    // A ping that recorded nothing (a fault the plugin trapped) leaves the last record standing.
    ApplyResult(row, Ping(L"A", L"M", 7, 8, 1, 3));
    EXPECT_THAT(row.history, ElementsAre(5, std::nullopt, 7, std::nullopt));
}

}  // namespace
