#include "plugin/boundary/table_layout.h"

#include <string>

#include "plugin/query/table_names.h"

namespace {

struct ColumnLayout {
    int column;
    const wchar_t* heading;
    int width;  // in the host's units
};

constexpr ColumnLayout UsersColumns[] = {
    {UsersNameColumn, L"Name", 150},
    {UsersScoreColumn, L"Score", 40},
    {UsersTeamColumn, L"Team", 75},
    {UsersPingColumn, L"Ping", 50},
    {UsersPacketLossColumn, L"Packet Loss", 125},
};

constexpr ColumnLayout PropertiesColumns[] = {
    {PropertiesNameColumn, L"Name", 140},
    {PropertiesValueColumn, L"Value", 140},
};

template <std::size_t Count>
void DeclareColumns(VtServerData& data, const wchar_t* table, const ColumnLayout (&columns)[Count]) {
    data.SetColumnCount(std::wstring(table), static_cast<int>(Count));
    // The host expects each column's heading before its width.
    for (const ColumnLayout& layout : columns) {
        data.SetColumnName(std::wstring(table), layout.column, std::wstring(layout.heading));
        data.SetColumnWidth(std::wstring(table), layout.column, layout.width);
    }
}

}  // namespace

void LayOutResultTables(VtServerData& data) {
    // The players table comes first, and only it is the host's user table.
    data.AddTable(std::wstring(UsersTableName));
    data.SetTableTitle(std::wstring(UsersTableName), std::wstring(L"Players"));
    data.SetUserTable(std::wstring(UsersTableName));
    DeclareColumns(data, UsersTableName, UsersColumns);

    // The parser's team rows fill a third cell here too; the host shows only these two columns.
    data.AddTable(std::wstring(PropertiesTableName));
    data.SetTableTitle(std::wstring(PropertiesTableName), std::wstring(L"Rules"));
    DeclareColumns(data, PropertiesTableName, PropertiesColumns);
}
