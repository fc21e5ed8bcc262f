// The player-count chart's layout: where its lines go in a box of a given size.
#include "apps/vtbrowse/panes/count_chart.h"

#include <gtest/gtest.h>

namespace {

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

}  // namespace
