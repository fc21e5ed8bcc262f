// The host library's tables and references, which the plugin's table writes and holds rely on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/services/server_objects.h"

using ::testing::ElementsAre;

namespace {

// Cells the plugin reads back (a player's team name from the rules): present ones read back,
// missing ones fail and read empty; writes to missing rows or tables store nothing.
TEST(HostTables, MissingCellsReadEmptyAndWritesWithoutARowStoreNothing) {
    auto data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    data->AddTable(L"UsersTable");
    EXPECT_EQ(data->SetCell(L"UsersTable", 0, 0, L"x"), VT_FAILED);
    EXPECT_EQ(data->AddRow(L"PropertiesTable"), VT_FAILED);
    data->AddRow(L"UsersTable");
    ASSERT_EQ(data->SetCell(L"UsersTable", 3, 0, L"Alpha"), VT_OK);  // grows the row past unset cells

    const struct {
        const wchar_t* table;
        int column, row;
        const wchar_t* text;  // null: the read fails
    } reads[] = {{L"UsersTable", 3, 0, L"Alpha"}, {L"UsersTable", 1, 0, nullptr},
                 {L"UsersTable", 9, 0, nullptr},  {L"UsersTable", 0, 1, nullptr},
                 {L"UsersTable", 0, -1, nullptr}, {L"PropertiesTable", 0, 0, nullptr}};
    for (const auto& r : reads) {
        std::wstring text = L"stale";
        EXPECT_EQ(data->GetCell(r.table, r.column, r.row, text), r.text ? VT_OK : VT_FAILED)
            << r.column << r.row;
        EXPECT_EQ(text, r.text ? r.text : L"");
    }
    EXPECT_THAT(data->Table(L"UsersTable").rows,
                ElementsAre(TableRow{std::nullopt, std::nullopt, std::nullopt, L"Alpha"}));
    EXPECT_THAT(data->TableNames(), ElementsAre(L"UsersTable"));
}

}  // namespace
