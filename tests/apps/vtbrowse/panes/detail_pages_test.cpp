// The details pane's pages: one per table the plugin added, laid out as it declared them.
#include "apps/vtbrowse/panes/detail_pages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

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

}  // namespace
