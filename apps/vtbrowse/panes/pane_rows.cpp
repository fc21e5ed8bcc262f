#include "apps/vtbrowse/panes/pane_rows.h"

#include "apps/vtbrowse/resources/resource_ids.h"

namespace {

// The cancel button is IDCANCEL (windows.h), so that Esc presses it.
constexpr int CancelId = 2;

}  // namespace

const std::vector<RowCell> CommandRow = {{IDC_ADD, 64},
                                         {IDC_REMOVE, 64},
                                         {IDC_IMPORT, 70},
                                         {0, 8},
                                         {IDC_REFRESH, 80},
                                         {IDC_REFRESH_SELECTED, 112},
                                         {CancelId, 60},
                                         {0, 8},
                                         {IDC_JOIN, 60},
                                         {IDC_FIND, 96},
                                         {0, 8},
                                         {IDC_AUTO, 98},
                                         {IDC_AUTO_LABEL, 38},
                                         {IDC_AUTO_SECONDS, 44},
                                         {IDC_AUTO_UNIT, 12}};
const std::vector<RowCell> FilterRows[2] = {{{IDC_FILTER_LABEL, 92},
                                             {IDC_FILTER_TEXT, 100},
                                             {0, 8},
                                             {IDC_HIDE_EMPTY, 92},
                                             {IDC_HIDE_FULL, 80},
                                             {IDC_HIDE_SILENT, 116},
                                             {IDC_FAVOURITES_ONLY, 116}},
                                            {{IDC_FILTER_GAME_LABEL, 42},
                                             {IDC_FILTER_GAME, 100},
                                             {IDC_FILTER_MOD_LABEL, 32},
                                             {IDC_FILTER_MOD, 90},
                                             {IDC_FILTER_PASSWORD_LABEL, 64},
                                             {IDC_FILTER_PASSWORD, 90},
                                             {IDC_FILTER_PING_LABEL, 68},
                                             {IDC_FILTER_PING, 44},
                                             {IDC_FILTER_PING_UNIT, 20}}};
const std::vector<RowCell> QuickRow = {{IDC_QUICK_LABEL, 72}, {IDC_QUICK_TEXT, 80, true}, {IDC_QUICK_GO, 64}};
const std::vector<RowCell> MastersRow = {{IDC_GET_MASTERS, 124}, {IDC_MASTERS, 90}};
const std::vector<RowCell> SeatRow = {{IDC_WATCH_TEXT, 380, true}, {0, 2}, {IDC_WATCH_STOP, 90}};
const std::vector<RowCell> FriendsRow = {{IDC_FRIENDS_TITLE, 50},
                                         {IDC_FRIEND_TEXT, 60, true},
                                         {0, 4},
                                         {IDC_FRIEND_ADD, 80},
                                         {IDC_FRIEND_REMOVE, 70}};
