// Numbers of vtbrowse's resources, controls and commands, shared by vtbrowse.rc and the code.
// No windows.h: the resource compiler reads this too.
#pragma once

#define IDD_ADD_SERVERS 200
#define IDD_FIND_PLAYER 201
#define IDD_JOIN 202
#define IDD_ABOUT 203
#define IDR_ACCELERATORS 210
#define IDI_VTBROWSE 220

// Main window controls and commands (WM_COMMAND ids). The cancel button is IDCANCEL (2), so
// Escape cancels a refresh; Enter arrives as IDOK (1).
#define IDC_ADD 1001
#define IDC_REMOVE 1002
#define IDC_IMPORT 1003
#define IDC_REFRESH 1004
#define IDC_REFRESH_SELECTED 1005
#define IDC_JOIN 1006
#define IDC_FIND 1007
#define IDC_AUTO 1008
#define IDC_AUTO_SECONDS 1009
#define IDC_FILTER_TEXT 1010
#define IDC_HIDE_EMPTY 1011
#define IDC_HIDE_FULL 1012
#define IDC_HIDE_SILENT 1013
#define IDC_SERVERS 1014
#define IDC_HANDED_BACK 1015
#define IDC_DETAIL_TABS 1016
#define IDC_DETAIL_LIST 1017
#define IDC_CHART 1018
#define IDC_LOG 1019
#define IDC_STATUS 1020
#define IDC_FILTER_LABEL 1021
#define IDC_AUTO_UNIT 1022
#define IDC_CHART_TITLE 1023
#define IDC_AUTO_LABEL 1024
#define IDC_HAND_BACK 1030
#define IDC_PLUGIN_MENU 1031
#define IDC_FAVOURITE 1032
#define IDC_WATCH_SEAT 1033

// The main window's panes: each a child window that holds controls of its own (below).
#define IDC_FILTER_BAR 1040
#define IDC_FRIENDS 1041
#define IDC_SEAT_WATCH 1042
#define IDC_QUICK_CONNECT 1043
#define IDC_SERVER_PANE 1044
#define IDC_DETAIL_PANE 1045
#define IDC_LOG_PANE 1046
#define IDC_STATUS_PANE 1047
#define IDC_COMMAND_BAR 1048
#define IDC_HANDED_BACK_PANE 1049
#define IDC_MASTERS_PANE 1050

// The filter bar.
#define IDC_FILTER_GAME_LABEL 1501
#define IDC_FILTER_GAME 1502
#define IDC_FILTER_MOD 1503
#define IDC_FILTER_PASSWORD 1504
#define IDC_FILTER_PING_LABEL 1505
#define IDC_FILTER_PING 1506
#define IDC_FILTER_PING_UNIT 1507
#define IDC_FAVOURITES_ONLY 1508
#define IDC_FILTER_MOD_LABEL 1509
#define IDC_FILTER_PASSWORD_LABEL 1510

// The friends pane.
#define IDC_FRIENDS_TITLE 1601
#define IDC_FRIEND_TEXT 1602
#define IDC_FRIEND_ADD 1603
#define IDC_FRIEND_REMOVE 1604
#define IDC_FRIEND_LIST 1605

// The seat watch's line.
#define IDC_WATCH_TEXT 1701
#define IDC_WATCH_STOP 1702

// Quick connect.
#define IDC_QUICK_LABEL 1801
#define IDC_QUICK_TEXT 1802
#define IDC_QUICK_GO 1803

// The add-servers dialog.
#define IDC_ADD_TEXT 1101
#define IDC_ADD_PROBLEM 1102

// The find-a-player window.
#define IDC_FIND_TEXT 1201
#define IDC_FIND_RESULTS 1202
#define IDC_FIND_COUNT 1203

// The join dialog: fixed rows, then one edit per launch option the plugin offered, numbered from
// IDC_JOIN_OPTION in the order offered (its hint is the same number plus IDC_JOIN_HINT_OFFSET).
#define IDC_JOIN_SERVER 1301
#define IDC_JOIN_EXECUTABLE 1302
#define IDC_JOIN_BROWSE 1303
#define IDC_JOIN_PLAYER_NAME 1304
#define IDC_JOIN_CONFIG_FILE 1305
#define IDC_JOIN_PARAMETERS 1306
#define IDC_JOIN_WATCH_EVERY 1307
#define IDC_JOIN_WATCH_GIVE_UP 1308
#define IDC_JOIN_OPTION 1320
#define IDC_JOIN_HINT_OFFSET 40

// The About box.
#define IDC_ABOUT_NAME 1401
#define IDC_ABOUT_PLUGIN 1402
#define IDC_ABOUT_COPYRIGHT 1403

// Servers from master servers: the main window's commands, and the masters dialog. Numbers of a
// range of their own.
#define IDD_MASTERS 260
#define IDC_GET_MASTERS 1060
#define IDC_MASTERS 1061
#define IDC_MASTERS_LIST 1601
#define IDC_MASTERS_TEXT 1602
#define IDC_MASTERS_ADD 1603
#define IDC_MASTERS_CHANGE 1604
#define IDC_MASTERS_REMOVE 1605
#define IDC_MASTERS_COMMUNITY 1606
#define IDC_MASTERS_AT_START 1607
#define IDC_MASTERS_PROBLEM 1608
