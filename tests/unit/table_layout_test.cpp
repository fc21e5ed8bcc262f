#include "plugin/boundary/table_layout.h"

#include <gtest/gtest.h>

#include <memory>

#include "host/services/server_objects.h"
#include "host/probes/call_probe.h"

namespace {

TEST(TableLayout, DeclaresBothTablesInTheHostsOrder) {
    auto data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    auto journal = std::make_shared<CallJournal>();
    Probe(*data, journal);

    LayOutResultTables(*data);

    std::wstring calls;
    for (const std::wstring& line : journal->Lines()) calls += line + L"|";
    EXPECT_EQ(
        calls,
        L"data.AddTable(UsersTable)|data.SetTableTitle(UsersTable,Players)|data.SetUserTable(UsersTable)|"
        L"data.SetColumnCount(UsersTable,5)|data.SetColumnName(UsersTable,0,Name)|"
        L"data.SetColumnWidth(UsersTable,0,150)|data.SetColumnName(UsersTable,1,Score)|"
        L"data.SetColumnWidth(UsersTable,1,40)|data.SetColumnName(UsersTable,2,Team)|"
        L"data.SetColumnWidth(UsersTable,2,75)|data.SetColumnName(UsersTable,3,Ping)|"
        L"data.SetColumnWidth(UsersTable,3,50)|data.SetColumnName(UsersTable,4,Packet Loss)|"
        L"data.SetColumnWidth(UsersTable,4,125)|data.AddTable(PropertiesTable)|"
        L"data.SetTableTitle(PropertiesTable,Rules)|data.SetColumnCount(PropertiesTable,2)|"
        L"data.SetColumnName(PropertiesTable,0,Name)|data.SetColumnWidth(PropertiesTable,0,140)|"
        L"data.SetColumnName(PropertiesTable,1,Value)|data.SetColumnWidth(PropertiesTable,1,140)|");
}

}  // namespace
