// The host library's tables and references, which the plugin's table writes and holds rely on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/server_objects.h"

using ::testing::ElementsAre;

namespace {

// The tables as the plugin relies on them: cells it reads back (a player's team name from the
// rules), rows that stay after a second declaration, clearing that keeps the layout.
class HostTables : public ::testing::Test {
protected:
    void SetUp() override {
        data->AddTable(L"UsersTable");
        data->SetColumnCount(L"UsersTable", 5);
        data->SetColumnName(L"UsersTable", 0, L"Name");
        data->SetColumnWidth(L"UsersTable", 0, 150);
    }

    std::wstring Read(int column, int row, VTRESULT expected) {
        std::wstring text = L"stale";
        EXPECT_EQ(data->GetCell(L"UsersTable", column, row, text), expected) << column << "," << row;
        return text;
    }

    HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
};

TEST_F(HostTables, CellsReadBackAndMissingOnesReadEmpty) {
    data->AddRow(L"UsersTable");
    ASSERT_EQ(data->SetCell(L"UsersTable", 3, 0, L"Alpha"), VT_OK);  // grows the row past unset cells

    EXPECT_EQ(Read(3, 0, VT_OK), L"Alpha");
    struct Missing {
        const wchar_t* table;
        int column;
        int row;
    } const missing[] = {
        {L"UsersTable", 1, 0},      // unset cell inside the grown row
        {L"UsersTable", 9, 0},      // beyond the row
        {L"UsersTable", 0, 1},      // no such row
        {L"UsersTable", 0, -1},     // negative row
        {L"PropertiesTable", 0, 0}  // never added
    };
    for (const Missing& m : missing) {
        std::wstring text = L"stale";
        EXPECT_EQ(data->GetCell(m.table, m.column, m.row, text), VT_FAILED) << m.column << "," << m.row;
        EXPECT_EQ(text, L"");
    }
    TableRow row = data->Table(L"UsersTable").rows.at(0);
    ASSERT_EQ(row.size(), 4u);
    EXPECT_FALSE(row[1].has_value());
    EXPECT_EQ(row[3], TableCell(L"Alpha"));
}

TEST_F(HostTables, WritesToMissingRowsStoreNothing) {
    EXPECT_EQ(data->SetCell(L"UsersTable", 0, 0, L"x"), VT_FAILED);
    EXPECT_EQ(data->SetCell(L"PropertiesTable", 0, 0, L"x"), VT_FAILED);
    EXPECT_EQ(data->AddRow(L"PropertiesTable"), VT_FAILED);
    EXPECT_EQ(data->GetRowCount(L"UsersTable"), 0);
    EXPECT_EQ(data->GetRowCount(L"PropertiesTable"), 0);
    EXPECT_THAT(data->TableNames(), ElementsAre(L"UsersTable"));
}

TEST_F(HostTables, ClearKeepsLayoutAndAddingAgainKeepsRows) {
    data->SetUserTable(L"UsersTable");
    data->AddRow(L"UsersTable");
    data->AddRow(L"UsersTable");
    data->SetCell(L"UsersTable", 0, 1, L"Beta");
    data->AddTable(L"UsersTable");
    EXPECT_EQ(data->GetRowCount(L"UsersTable"), 2);
    EXPECT_EQ(Read(0, 1, VT_OK), L"Beta");

    EXPECT_EQ(data->ClearTable(L"UsersTable"), VT_OK);
    HostTable table = data->Table(L"UsersTable");
    EXPECT_TRUE(table.rows.empty());
    EXPECT_TRUE(table.isUserTable);
    EXPECT_EQ(table.columnCount, 5);
    EXPECT_EQ(table.columnNames.at(0), L"Name");
    EXPECT_EQ(table.columnWidths.at(0), 150);
    EXPECT_THAT(data->TableNames(), ElementsAre(L"UsersTable"));

    // Rows added after a clear start empty, whatever the cleared rows held.
    data->AddRow(L"UsersTable");
    data->AddRow(L"UsersTable");
    data->SetCell(L"UsersTable", 2, 1, L"Gamma");
    EXPECT_EQ(Read(0, 1, VT_FAILED), L"");
    EXPECT_EQ(Read(2, 1, VT_OK), L"Gamma");
    EXPECT_THAT(data->Table(L"UsersTable").rows,
                ElementsAre(TableRow{}, TableRow{std::nullopt, std::nullopt, L"Gamma"}));
}

// An object holds its journal while it lives, so the journal's use count shows the deletion.
TEST(HostReferences, LastReleaseDeletesAndHolderBalancesCounts) {
    auto journal = std::make_shared<CallJournal>();
    HostServerEntry* entry = HostServerEntry::Create();
    entry->SetJournal(journal);
    EXPECT_EQ(entry->RefCount(), 1);
    {
        HostRef<HostServerEntry> held = HostRef<HostServerEntry>::Adopt(entry);
        EXPECT_EQ(held->AddRef(), 2);
        HostRef<HostServerEntry> copy = held;
        EXPECT_EQ(entry->RefCount(), 3);
        EXPECT_EQ(entry->Release(), 2);
        EXPECT_EQ(journal.use_count(), 2);
    }
    EXPECT_EQ(journal.use_count(), 1);
    EXPECT_THAT(journal->Lines(), ElementsAre(L"entry.AddRef", L"entry.AddRef", L"entry.Release",
                                              L"entry.Release", L"entry.Release"));
}

}  // namespace
