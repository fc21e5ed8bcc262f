// The two result tables of a server's VtServerData and their column numbers. The layout
// declares them, the ping cycle clears them and the reply parser fills them by these numbers.
#pragma once

#include <string>

// Names as the host knows them.
constexpr const wchar_t* UsersTableName = L"UsersTable";
constexpr const wchar_t* PropertiesTableName = L"PropertiesTable";

// The same names made once, for the many calls of every ping: host calls take the table name by
// reference, and a string built per call would cost a heap block each time. (The layout, made
// once per session, passes each argument as a fresh string of its own.)
inline const std::wstring UsersTable{UsersTableName};
inline const std::wstring PropertiesTable{PropertiesTableName};

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
