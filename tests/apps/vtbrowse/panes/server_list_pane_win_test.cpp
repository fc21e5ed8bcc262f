// The server list and the filters: clicks reach the order and the filters, and what was chosen
// outlives a restart.
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {

// The order and filters themselves are the rows' own tests'; here: the clicks reach them.
TEST_F(VtbrowseWindow, ClicksSortAndFilterAndWhatWasChosenOutlivesARestart) {
    OpenAndRefresh(FourServers());
    HWND servers = Control(IDC_SERVERS);
    ClickColumn(3);  // players, ascending: 0/0 (silent), 0/16, 12/32, 8/8
    EXPECT_THAT(ColumnTexts(servers, 3), ElementsAre(L"0/0", L"0/16", L"8/8", L"12/32"));
    ClickColumn(3);
    EXPECT_THAT(ColumnTexts(servers, 3), ElementsAre(L"12/32", L"8/8", L"0/16", L"0/0"));
    for (int box : {IDC_HIDE_EMPTY, IDC_HIDE_FULL, IDC_HIDE_SILENT})
        SendMessageW(Control(box), BM_CLICK, 0, 0);
    EXPECT_THAT(ColumnTexts(servers, 0), ElementsAre(L"Alpha"));
    SendMessageW(Control(IDC_HIDE_EMPTY), BM_CLICK, 0, 0);
    SetWindowTextW(Control(IDC_FILTER_TEXT), L"side");  // the maps Sidewinder (full) and Broadside
    EXPECT_THAT(ColumnTexts(servers, 0), ElementsAre(L"Charlie"));
    ClickColumn(3);  // ascending again: not the names' order
    Select(0);
    SendMessageW(browser->Window(), WM_COMMAND, IDC_FAVOURITE, 0);  // Ctrl+D
    browser.reset();

    OpenAndRefresh({});
    EXPECT_THAT(ColumnTexts(Control(IDC_SERVERS), 6), ElementsAre(L"\u2605"));
    SetWindowTextW(Control(IDC_FILTER_TEXT), L"");
    EXPECT_THAT(ColumnTexts(Control(IDC_SERVERS), 0), ElementsAre(L"Charlie", L"Alpha"));
    SendDlgItemMessageW(Control(IDC_FILTER_BAR), IDC_FAVOURITES_ONLY, BM_CLICK, 0, 0);
    EXPECT_THAT(ColumnTexts(Control(IDC_SERVERS), 0), ElementsAre(L"Charlie"));
    EXPECT_THAT(ReadFile(settings_),
                AllOf(HasSubstr("server=" + Local(charlie->Port())), HasSubstr("timeout=1"),
                      HasSubstr("favourite=" + Local(charlie->Port())), HasSubstr("favouritesOnly=1"),
                      HasSubstr("hideFull=1")));
}

}  // namespace vtbrowse_driving
