// The two result tables of a server's VtServerData and their column numbers. The layout
// declares them, the ping cycle clears them and the reply parser fills them by these numbers.
#pragma once

// Names as the host knows them. Each call passes a fresh std::wstring built from these.
constexpr const wchar_t* UsersTableName = L"UsersTable";
constexpr const wchar_t* PropertiesTableName = L"PropertiesTable";

// Columns of the players table.
enum UsersColumn : int {
    UsersNameColumn = 0,
    UsersScoreColumn = 1,
    UsersTeamColumn = 2,
    UsersPingColumn = 3,
    UsersPacketLossColumn = 4,
    UsersColumnCount = 5,
};

// Columns of the properties table. The parser's team rows also fill a third cell beyond them.
enum PropertiesColumn : int {
    PropertiesNameColumn = 0,
    PropertiesValueColumn = 1,
    PropertiesColumnCount = 2,
    TeamScoreColumn = 2,
};
