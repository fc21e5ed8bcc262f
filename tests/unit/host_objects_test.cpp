// The host library's tables and references, which the plugin's table writes and holds rely on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/server_objects.h"

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

TEST(HostTables, ClearKeepsLayoutAndAddingAgainKeepsRows) {
    auto data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    data->AddTable(L"UsersTable");
    data->SetColumnCount(L"UsersTable", 5);
    data->SetColumnWidth(L"UsersTable", 0, 150);
    data->SetUserTable(L"UsersTable");
    data->AddRow(L"UsersTable");
    data->AddTable(L"UsersTable");
    EXPECT_EQ(data->GetRowCount(L"UsersTable"), 1);

    EXPECT_EQ(data->ClearTable(L"UsersTable"), VT_OK);
    const HostTable table = data->Table(L"UsersTable");
    EXPECT_TRUE(table.rows.empty());
    EXPECT_TRUE(table.isUserTable);
    EXPECT_EQ(table.columnCount, 5);
    EXPECT_EQ(table.columnWidths.at(0), 150);
}

// An object holds its journal while it lives, so the journal's use count shows the deletion.
TEST(HostReferences, LastReleaseDeletesAndHolderBalancesCounts) {
    auto journal = std::make_shared<CallJournal>();
    HostServerEntry* entry = HostServerEntry::Create();
    entry->SetJournal(journal);
    {
        HostRef<HostServerEntry> held = HostRef<HostServerEntry>::Adopt(entry);
        EXPECT_EQ(held->AddRef(), 2);
        HostRef<HostServerEntry> copy = held;
        EXPECT_EQ(entry->Release(), 2);
        EXPECT_EQ(journal.use_count(), 2);
    }
    EXPECT_EQ(journal.use_count(), 1);
    EXPECT_THAT(journal->Lines(), ElementsAre(L"entry.AddRef", L"entry.AddRef", L"entry.Release",
                                              L"entry.Release", L"entry.Release"));
}

}  // namespace
