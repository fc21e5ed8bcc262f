#include "boundary/table_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "host/server_objects.h"

using ::testing::ElementsAre;

namespace {

TEST(TableLayout, DeclaresBothTablesInTheHostsOrder) {
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
}

}  // namespace
