#include "boundary/table_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "host/server_objects.h"

using ::testing::ElementsAre;

namespace {

TEST(TableLayout, DeclaresBothTablesInTheHostsOrderAndTheHostShowsThem) {
    auto data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    auto journal = std::make_shared<CallJournal>();
    data->SetJournal(journal);

    LayOutResultTables(*data);

    EXPECT_THAT(journal->Lines(),
                ElementsAre(L"data.AddTable(UsersTable)",                     //
                            L"data.SetTableTitle(UsersTable,Players)",        //
                            L"data.SetUserTable(UsersTable)",                 //
                            L"data.SetColumnCount(UsersTable,5)",             //
                            L"data.SetColumnName(UsersTable,0,Name)",         //
                            L"data.SetColumnWidth(UsersTable,0,150)",         //
                            L"data.SetColumnName(UsersTable,1,Score)",        //
                            L"data.SetColumnWidth(UsersTable,1,40)",          //
                            L"data.SetColumnName(UsersTable,2,Team)",         //
                            L"data.SetColumnWidth(UsersTable,2,75)",          //
                            L"data.SetColumnName(UsersTable,3,Ping)",         //
                            L"data.SetColumnWidth(UsersTable,3,50)",          //
                            L"data.SetColumnName(UsersTable,4,Packet Loss)",  //
                            L"data.SetColumnWidth(UsersTable,4,125)",         //
                            L"data.AddTable(PropertiesTable)",                //
                            L"data.SetTableTitle(PropertiesTable,Rules)",     //
                            L"data.SetColumnCount(PropertiesTable,2)",        //
                            L"data.SetColumnName(PropertiesTable,0,Name)",    //
                            L"data.SetColumnWidth(PropertiesTable,0,140)",    //
                            L"data.SetColumnName(PropertiesTable,1,Value)",   //
                            L"data.SetColumnWidth(PropertiesTable,1,140)"));

    // What the host ends up showing: players first, and only they are its user table.
    EXPECT_THAT(data->TableNames(), ElementsAre(L"UsersTable", L"PropertiesTable"));
    const HostTable users = data->Table(L"UsersTable");
    EXPECT_EQ(users.title, L"Players");
    EXPECT_TRUE(users.isUserTable);
    EXPECT_EQ(users.columnCount, 5);
    EXPECT_EQ(users.columnNames,
              (std::map<int, std::wstring>{
                  {0, L"Name"}, {1, L"Score"}, {2, L"Team"}, {3, L"Ping"}, {4, L"Packet Loss"}}));
    EXPECT_EQ(users.columnWidths, (std::map<int, int>{{0, 150}, {1, 40}, {2, 75}, {3, 50}, {4, 125}}));

    const HostTable properties = data->Table(L"PropertiesTable");
    EXPECT_EQ(properties.title, L"Rules");
    EXPECT_FALSE(properties.isUserTable);
    EXPECT_EQ(properties.columnCount, 2);
    EXPECT_EQ(properties.columnNames, (std::map<int, std::wstring>{{0, L"Name"}, {1, L"Value"}}));
    EXPECT_EQ(properties.columnWidths, (std::map<int, int>{{0, 140}, {1, 140}}));
    EXPECT_TRUE(users.rows.empty() && properties.rows.empty());
}

}  // namespace
