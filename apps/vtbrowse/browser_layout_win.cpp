// The main window's controls and where they go: two rows of buttons and filters, the server list,
// the line for the server the plugin handed back, the details (a page per table beside the
// player-count chart), the log and the status bar. The list and the details share what the
// window's height leaves them; the log keeps a few lines.
#include <algorithm>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/browser_window_win.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/count_chart_win.h"

namespace {

constexpr int kMargin = 6;
constexpr int kRowHeight = 24;
constexpr int kLineHeight = 18;
constexpr int kLogHeight = 84;
constexpr int kChartWidth = 280;

struct Placed {
    int id;
    int width;
};

// Places ids left to right on one row of window, each as wide as given; x is where the row starts.
void PlaceRow(HWND window, int x, int y, int height, std::initializer_list<Placed> controls) {
    for (const Placed& placed : controls) {
        if (placed.id > 0) MoveWindow(GetDlgItem(window, placed.id), x, y, placed.width, height, TRUE);
        x += placed.width + (placed.id > 0 ? 4 : 0);
    }
}

}  // namespace

void BrowserWindow::CreateControls() {
    HWND window = window_.get();
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
    CreateControl(window, L"Button", L"&Add...", button, IDC_ADD);
    CreateControl(window, L"Button", L"Remove", button, IDC_REMOVE);
    CreateControl(window, L"Button", L"&Import...", button, IDC_IMPORT);
    CreateControl(window, L"Button", L"&Refresh all", button, IDC_REFRESH);
    CreateControl(window, L"Button", L"Refresh &selected", button, IDC_REFRESH_SELECTED);
    CreateControl(window, L"Button", L"&Cancel", button, IDCANCEL);
    CreateControl(window, L"Button", L"&Join...", button, IDC_JOIN);
    CreateControl(window, L"Button", L"&Find player...", button, IDC_FIND);
    CreateControl(window, L"Button", L"Refresh &every", check, IDC_AUTO);
    CreateControl(window, L"Edit", L"", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, IDC_AUTO_SECONDS,
                  WS_EX_CLIENTEDGE);
    CreateControl(window, L"Static", L"s", SS_LEFT | SS_CENTERIMAGE, IDC_AUTO_UNIT);

    CreateControl(window, L"Static", L"Name or map:", SS_LEFT | SS_CENTERIMAGE, IDC_FILTER_LABEL);
    CreateControl(window, L"Edit", L"", ES_AUTOHSCROLL | WS_TABSTOP, IDC_FILTER_TEXT, WS_EX_CLIENTEDGE);
    CreateControl(window, L"Button", L"Hide empty", check, IDC_HIDE_EMPTY);
    CreateControl(window, L"Button", L"Hide full", check, IDC_HIDE_FULL);
    CreateControl(window, L"Button", L"Hide no answer", check, IDC_HIDE_SILENT);

    servers_ =
        CreateControl(window, WC_LISTVIEWW, L"", LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP,
                      IDC_SERVERS, WS_EX_CLIENTEDGE);
    SendMessageW(servers_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    static const int widths[kRowColumnCount] = {190, 150, 110, 80, 230, 70};
    for (int column = 0; column < kRowColumnCount; ++column) {
        AddListColumn(servers_, ColumnHeading(static_cast<RowColumn>(column)), widths[column]);
    }
    handedBack_ =
        CreateControl(window, L"Static", L"The plugin has handed no server back to this window yet.",
                      SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS, IDC_HANDED_BACK);

    tabs_ = CreateControl(window, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS | WS_TABSTOP, IDC_DETAIL_TABS);
    detail_ = CreateControl(window, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP,
                            IDC_DETAIL_LIST, WS_EX_CLIENTEDGE);
    SendMessageW(detail_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SetWindowPos(detail_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    chartTitle_ = CreateControl(window, L"Static", L"Players over this run's refreshes",
                                SS_LEFT | SS_ENDELLIPSIS, IDC_CHART_TITLE);
    chart_ = CountChart::Create(window, IDC_CHART);
    log_ = CreateControl(window, L"ListBox", L"", LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_TABSTOP,
                         IDC_LOG, WS_EX_CLIENTEDGE);
    status_ = CreateControl(window, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, IDC_STATUS);
}

void BrowserWindow::Layout() {
    HWND window = window_.get();
    if (!status_) return;
    RECT client;
    GetClientRect(window, &client);
    SendMessageW(status_, WM_SIZE, 0, 0);
    RECT statusRect;
    GetWindowRect(status_, &statusRect);
    const int statusHeight = statusRect.bottom - statusRect.top;
    const int parts[2] = {std::max(100, static_cast<int>(client.right) - 220), -1};
    SendMessageW(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

    const int width = client.right - 2 * kMargin;
    int y = kMargin;
    PlaceRow(window, kMargin, y, kRowHeight,
             {{IDC_ADD, 64},
              {IDC_REMOVE, 64},
              {IDC_IMPORT, 70},
              {0, 10},
              {IDC_REFRESH, 80},
              {IDC_REFRESH_SELECTED, 104},
              {IDCANCEL, 60},
              {0, 10},
              {IDC_JOIN, 60},
              {IDC_FIND, 90},
              {0, 10},
              {IDC_AUTO, 104},
              {IDC_AUTO_SECONDS, 48},
              {IDC_AUTO_UNIT, 12}});
    y += kRowHeight + 4;
    PlaceRow(window, kMargin, y, kRowHeight - 2,
             {{IDC_FILTER_LABEL, 84},
              {IDC_FILTER_TEXT, 180},
              {0, 8},
              {IDC_HIDE_EMPTY, 86},
              {IDC_HIDE_FULL, 76},
              {IDC_HIDE_SILENT, 110}});
    y += kRowHeight + 4;

    // What is left between the filters and the log: 55 parts list, 45 parts details.
    const int logTop = client.bottom - statusHeight - kMargin - kLogHeight;
    const int shared = std::max(120, logTop - y - kLineHeight - 2 * kMargin);
    const int listHeight = shared * 55 / 100;
    MoveWindow(servers_, kMargin, y, width, listHeight, TRUE);
    y += listHeight + 2;
    MoveWindow(handedBack_, kMargin, y, width, kLineHeight, TRUE);
    y += kLineHeight + 2;

    const int detailHeight = std::max(60, logTop - kMargin - y);
    const int chartWidth = std::min(kChartWidth, width / 3);
    const int tabsWidth = width - chartWidth - kMargin;
    MoveWindow(tabs_, kMargin, y, tabsWidth, detailHeight, TRUE);
    RECT page{0, 0, tabsWidth, detailHeight};
    SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    MoveWindow(detail_, kMargin + page.left, y + page.top, page.right - page.left, page.bottom - page.top,
               TRUE);
    const int chartLeft = kMargin + tabsWidth + kMargin;
    MoveWindow(chartTitle_, chartLeft, y + 2, chartWidth, kLineHeight - 2, TRUE);
    MoveWindow(chart_, chartLeft, y + kLineHeight, chartWidth, detailHeight - kLineHeight, TRUE);

    MoveWindow(log_, kMargin, logTop, width, kLogHeight, TRUE);
}
