#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "host/server_objects.h"
#if defined(_WIN32) && !defined(_WIN64)
#include "error_trap/error_trap.h"
#endif

using ::testing::ElementsAre;

namespace {

// A planned C++ exception as the caller sees it: where a C++ exception cannot leave the host
// library for another module (i686), the platform compiler's structured exception instead.
template <class Call>
void ExpectHostException(Call call) {
#if defined(_WIN32) && !defined(_WIN64)
    const error_trap::TrapResult trapped = error_trap::RunTrapped(call);
    EXPECT_FALSE(trapped.finished);
    EXPECT_EQ(trapped.code, PlatformCppExceptionCode);
#else
    EXPECT_THROW(call(), std::runtime_error);
#endif
}

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

TEST(HostStatus, RecordsTheLastOutcomeAndFields) {
    HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    data->SetServerName(L"Alpha");
    data->SetMapName(L"Raindance");
    data->SetMaxPlayers(32);
    data->SetPlayerCount(12);
    data->RecordPlayerCount(12);
    EXPECT_EQ(data->Status().recorded, RecordedOutcome::PlayerCount);
    data->RecordNoResponse();
    data->SetStatusText(L"Timeout");

    HostServerStatus status = data->Status();
    EXPECT_EQ(status.serverName, L"Alpha");
    EXPECT_EQ(status.mapName, L"Raindance");
    EXPECT_EQ(status.maxPlayers, 32);
    EXPECT_EQ(status.playerCount, 12);
    EXPECT_EQ(status.recordedPlayerCount, 12);
    EXPECT_EQ(status.recorded, RecordedOutcome::NoResponse);
    EXPECT_EQ(status.recordCount, 2);
    EXPECT_EQ(status.statusText, L"Timeout");
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

TEST(HostJournal, SharedJournalRecordsCallsAcrossObjectsInOrder) {
    auto journal = std::make_shared<CallJournal>();
    HostRef<HostServerEntry> entry = HostRef<HostServerEntry>::Adopt(HostServerEntry::Create());
    HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    entry->SetJournal(journal);
    data->SetJournal(journal);
    entry->SetLaunchOptionValue(3, L"secret");

    std::wstring name = L"Password";
    std::wstring description = L"The password used to connect to the server";
    std::wstring value;
    entry->Lock();
    entry->AddLaunchOption(2, &name, &description, 0, 1);
    EXPECT_EQ(entry->GetLaunchOption(3, value), 1);
    entry->Unlock();
    data->BeginUpdate();
    data->SetColumnWidth(L"UsersTable", 0, 150);
    data->GetCell(L"PropertiesTable", 1, 8, value);
    data->SetServerName(L"Alpha");
    data->SetServerName(L"");
    data->RecordNoResponse();
    data->EndUpdate();

    EXPECT_THAT(
        journal->Lines(),
        ElementsAre(L"entry.Lock",
                    L"entry.AddLaunchOption(2,Password,The password used to connect to the server,0,1)",
                    L"entry.GetLaunchOption(3)", L"entry.Unlock", L"data.BeginUpdate",
                    L"data.SetColumnWidth(UsersTable,0,150)", L"data.GetCell(PropertiesTable,1,8)",
                    L"data.SetServerName(Alpha)", L"data.SetServerName()", L"data.RecordNoResponse",
                    L"data.EndUpdate"));
    EXPECT_EQ(entry->OfferedLaunchOptions().at(0).description, description);
    EXPECT_EQ(entry->LockDepth(), 0);
    EXPECT_EQ(data->UpdateDepth(), 0);
}

TEST(HostBrackets, UnmatchedClosesFailAndDepthsCount) {
    HostRef<HostServerEntry> entry = HostRef<HostServerEntry>::Adopt(HostServerEntry::Create());
    EXPECT_EQ(entry->Unlock(), VT_FAILED);
    EXPECT_EQ(entry->EndUpdate(), VT_FAILED);
    entry->Lock();
    entry->Lock();
    entry->BeginUpdate();
    EXPECT_EQ(entry->LockDepth(), 2);
    EXPECT_EQ(entry->UpdateDepth(), 1);
    EXPECT_EQ(entry->Unlock(), VT_OK);
    EXPECT_EQ(entry->Unlock(), VT_OK);
    EXPECT_EQ(entry->Unlock(), VT_FAILED);
    EXPECT_EQ(entry->EndUpdate(), VT_OK);
    EXPECT_EQ(entry->LockDepth(), 0);
    EXPECT_EQ(entry->UpdateDepth(), 0);
}

TEST(HostFaults, InjectedExceptionIsRaisedOnceAfterJournaling) {
    auto journal = std::make_shared<CallJournal>();
    HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    data->SetJournal(journal);
    data->AddTable(L"UsersTable");
    data->InjectFault(L"GetRowCount", HostFault::Exception);

    EXPECT_EQ(data->AddRow(L"UsersTable"), VT_OK);  // other operations are unaffected
    ExpectHostException([&] { data->GetRowCount(L"UsersTable"); });
    EXPECT_EQ(data->GetRowCount(L"UsersTable"), 1);
    EXPECT_THAT(journal->Lines(),
                ElementsAre(L"data.AddTable(UsersTable)", L"data.AddRow(UsersTable)",
                            L"data.GetRowCount(UsersTable)", L"data.GetRowCount(UsersTable)"));

    // A failed Lock leaves the object unlocked.
    data->InjectFault(L"Lock", HostFault::Exception);
    ExpectHostException([&] { data->Lock(); });
    EXPECT_EQ(data->LockDepth(), 0);
}

TEST(HostErrors, ReportsAreKeptInOrder) {
    ClearVtErrorReports();
    VtError::GetInstance()->SetError(L"Plugin Error", L"first");
    VtError::GetInstance()->SetError(L"Network Init Failure", nullptr);
    std::vector<ErrorReport> reports = VtErrorReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].title, L"Plugin Error");
    EXPECT_EQ(reports[0].text, L"first");
    EXPECT_EQ(reports[1].title, L"Network Init Failure");
    EXPECT_EQ(reports[1].text, L"");
    ClearVtErrorReports();
    EXPECT_TRUE(VtErrorReports().empty());
}

TEST(HostHandles, OrderIsByteWise) {
    EXPECT_TRUE(VtHandle("a") < VtHandle("b"));
    EXPECT_FALSE(VtHandle("b") < VtHandle("a"));
    EXPECT_FALSE(VtHandle("a") < VtHandle("a"));
    EXPECT_TRUE(VtHandle("Z") < VtHandle("a"));
    EXPECT_TRUE(VtHandle("a") < VtHandle("\xe9"));  // bytes above 0x7f sort last
    VtHandle copy = VtHandle("10.0.0.1:28001");
    EXPECT_STREQ(copy.toCharString(), "10.0.0.1:28001");
}

}  // namespace
