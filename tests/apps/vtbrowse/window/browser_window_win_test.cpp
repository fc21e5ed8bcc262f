// vtbrowse's window with real windows (under Xvfb), made in-process: refreshed, its rows, details
// and chart drawn; and at the display's scale, run at 96, 120, 144 and 192 DPI (Wine's, set by
// scripts/wine-gui-run --dpi): every text fits its control, no controls overlap, the smallest
// window holds it all, a change of scale lays it out as it is made at that scale; the keyboard:
// tab order, labels before boxes, access keys.
#include "apps/vtbrowse/window/browser_layout.h"
#include "common/owners/scope_exit.h"
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {

namespace {

// The heading and width of every column of a report-style list view.
std::vector<std::pair<std::wstring, int>> Columns(HWND list) {
    std::vector<std::pair<std::wstring, int>> columns;
    for (int index = 0; index < Header_GetItemCount(ListView_GetHeader(list)); ++index) {
        wchar_t text[128] = L"";
        LVCOLUMNW column{LVCF_TEXT | LVCF_WIDTH, 0, 0, text, 128, 0, 0, 0, 0, 0, 0};
        ListView_GetColumn(list, index, &column);
        columns.emplace_back(text, column.cx);
    }
    return columns;
}

std::vector<std::wstring> Headings(HWND list) {
    std::vector<std::wstring> headings;
    for (const auto& [heading, width] : Columns(list)) headings.push_back(heading);
    return headings;
}

// Whether text shows whole in a column width wide: its width in the list's font and the margins
// a cell keeps on either side.
bool ShowsWhole(HWND list, const std::wstring& text, int width) {
    const int textWidth =
        static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    return textWidth + 12 <= width;
}

std::vector<std::wstring> TabTitles(HWND tabs) {
    std::vector<std::wstring> titles;
    for (int index = 0; index < TabCtrl_GetItemCount(tabs); ++index) {
        wchar_t text[128] = L"";
        TCITEMW item{TCIF_TEXT, 0, 0, text, 128, 0, 0};
        TabCtrl_GetItem(tabs, index, &item);
        titles.push_back(text);
    }
    return titles;
}

}  // namespace

TEST_F(VtbrowseWindow, RefreshFillsRowsAndDetailsShowThePluginsDeclaredTablesInAWindowThatIsDrawn) {
    Open(FourServers());
    // Made, the window has drawn its list of servers: no result waits behind that first paint.
    EXPECT_FALSE(GetUpdateRect(Control(IDC_SERVERS), nullptr, FALSE));
    ASSERT_TRUE(RefreshEnds());
    HWND servers = Control(IDC_SERVERS);
    ASSERT_EQ(ItemCount(servers), 4);
    EXPECT_THAT(StatusText(Control(IDC_STATUS)), StartsWith(L"Refreshed 4 of 4 servers"));
    // Each cell's text is the rows' own tests'; here: the rows hold what each ping left.
    const int alphaRow = RowOf(Local(alpha->Port()));
    EXPECT_EQ(ItemText(servers, alphaRow, 4), L"12/32 players on Alpha");
    EXPECT_EQ(ItemText(servers, RowOf(Local(silent->Port())), 4), L"Timeout");

    Select(alphaRow);
    ASSERT_TRUE(PumpUntil(*browser, [&] { return TabTitles(Control(IDC_DETAIL_TABS)).size() == 2; }));
    EXPECT_THAT(TabTitles(Control(IDC_DETAIL_TABS)), ElementsAre(L"Players", L"Rules"));
    HWND detail = Control(IDC_DETAIL_LIST);
    EXPECT_THAT(Headings(detail), ElementsAre(L"Name", L"Score", L"Team", L"Ping", L"Packet Loss"));
    EXPECT_EQ(ItemCount(detail), 12);
    EXPECT_EQ(ItemText(detail, 0, 0), L"Cobra");
    EXPECT_EQ(ItemText(detail, 0, 2), L"Blood Eagle");
    // The widths the plugin declared, in the host's unit, show the headings and the team names.
    for (const auto& [heading, width] : Columns(detail))
        EXPECT_TRUE(ShowsWhole(detail, heading, width)) << heading;
    EXPECT_TRUE(ShowsWhole(detail, L"Diamond Sword", Columns(detail).at(2).second));

    // The rules table declares two columns; the team rows' scores stand in a third, unheaded one
    // (the pages' own tests say what each holds).
    TabCtrl_SetCurSel(Control(IDC_DETAIL_TABS), 1);
    NMHDR change{Control(IDC_DETAIL_TABS), IDC_DETAIL_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(GetParent(change.hwndFrom), WM_NOTIFY, IDC_DETAIL_TABS, reinterpret_cast<LPARAM>(&change));
    EXPECT_THAT(Headings(detail), ElementsAre(L"Name", L"Value", L""));
    EXPECT_THAT(WindowText(Control(IDC_CHART_TITLE)), HasSubstr(L"Alpha"));

    // Drawn: no one colour covers nearly all of the window.
    PumpUntil(
        *browser, [] { return false; }, 0.5);
    RedrawWindow(browser->Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(browser->Window());
    ASSERT_TRUE(dc);
    const auto release = owners::scope_exit([&] { ReleaseDC(browser->Window(), dc); });
    RECT client;
    GetClientRect(browser->Window(), &client);
    std::map<COLORREF, int> colours;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) ++colours[GetPixel(dc, client.right * x / 80, client.bottom * y / 60)];
    }
    int most = 0;
    for (const auto& [colour, count] : colours) most = std::max(most, count);
    EXPECT_GE(colours.size(), 4u);
    EXPECT_LT(most, 60 * 80 * 95 / 100);
}

// As it opens and at its smallest, here and at another scale: nothing cut or out of place. There it
// is where the layout puts it, in a font and columns of that scale; back, as it was; what it keeps
// is in 96-DPI units.
TEST_F(VtbrowseAtScale, TheWindowFitsItsTextsAndMovesBetweenScales) {
    const auto arrangement = [this] {
        std::vector<std::string> lines;
        for (HWND control : Shown(window)) {
            const RECT at = PlaceIn(control, window);
            std::string& line = lines.emplace_back(std::to_string(GetDlgCtrlID(control)));
            for (const long value : {at.left, at.top, at.right, at.bottom, FontHeight(control)})
                line += " " + std::to_string(value);
            for (int column = 0; ClassOf(control) == WC_LISTVIEWW && column < 8; ++column)
                line += " " + std::to_string(SendMessageW(control, LVM_GETCOLUMNWIDTH, column, 0));
        }
        return lines;
    };
    const std::vector<std::string> asMade = arrangement();
    RECT made{};
    GetWindowRect(window, &made);
    HWND list = Control(IDC_SERVERS);
    const LONG fontAsMade = FontHeight(list);
    for (const int scale : {dpi, dpi == 144 ? 96 : 144}) {
        SCOPED_TRACE(scale);
        RECT shown = made;
        if (scale != dpi) {
            shown.right = made.left + MulDiv(made.right - made.left, scale, dpi);
            shown.bottom = made.top + MulDiv(made.bottom - made.top, scale, dpi);
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(scale, scale), reinterpret_cast<LPARAM>(&shown));
            EXPECT_NEAR(FontHeight(list), fontAsMade * scale / dpi, 1);
            int column = 0;
            for (const int units : {190, 150, 110, 80, 230, 60, 80})
                EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, column++, 0), Scaled(units, scale));
            RECT client{};
            GetClientRect(window, &client);
            const RECT bar = PlaceIn(GetDlgItem(window, IDC_STATUS_PANE), window);
            const PartAreas at = LayOutParts(client.right, client.bottom, bar.bottom - bar.top, scale);
            const int panes[] = {IDC_COMMAND_BAR, IDC_FILTER_BAR, IDC_QUICK_CONNECT, IDC_SERVER_PANE,
                                 IDC_DETAIL_PANE};
            int pane = 0;
            for (const PartArea& area : {at.commands, at.filters, at.quick, at.list, at.details}) {
                const RECT placed = PlaceIn(GetDlgItem(window, panes[pane++]), window);
                EXPECT_TRUE(placed.left == area.left && placed.top == area.top &&
                            placed.right == area.right && placed.bottom == area.bottom)
                    << panes[pane - 1];
            }
        }
        EXPECT_THAT(FitProblems(window, scale), IsEmpty()) << "as opened";
        // No smaller than the window allows.
        SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_THAT(FitProblems(window, scale), IsEmpty()) << "at the smallest size";
        SetWindowPos(window, nullptr, 0, 0, shown.right - shown.left, shown.bottom - shown.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&made));
    EXPECT_THAT(arrangement(), ElementsAreArray(asMade));
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_THAT(test_support::ReadFile(settings_),
                testing::AllOf(HasSubstr(",980,640\n"), HasSubstr("\ncolumns=190,150,110,80,230,60,80\n")));
}

// Tab walks the window as a reader does, pane by pane from the top left, each row left to right;
// a box is named by the label right before it (a screen reader says that), anything else by its
// text; a label's access key leads to its box; Enter on the list joins.
TEST_F(VtbrowseAtScale, TabOrderLabelsAndAccessKeys) {
    // clang-format off
    const std::pair<int, std::wstring> order[] = {
        {IDC_ADD, L"&Add..."}, {IDC_REMOVE, L"Remo&ve"}, {IDC_IMPORT, L"&Import..."}, {IDC_REFRESH, L"&Refresh all"},
        {IDC_REFRESH_SELECTED, L"Refresh &selected"}, {IDCANCEL, L"&Cancel"}, {IDC_JOIN, L"&Join..."},
        {IDC_FIND, L"&Find player..."}, {IDC_AUTO, L"A&uto refresh"}, {IDC_AUTO_SECONDS, L"&every"},
        {IDC_FILTER_TEXT, L"&Name or map:"}, {IDC_HIDE_EMPTY, L"Hide empty"}, {IDC_HIDE_FULL, L"Hide full"},
        {IDC_HIDE_SILENT, L"Hide no answer"}, {IDC_FAVOURITES_ONLY, L"Favourites on&ly"},
        {IDC_FILTER_GAME, L"&Game:"}, {IDC_FILTER_MOD, L"Mo&d:"}, {IDC_FILTER_PASSWORD, L"&Password:"},
        {IDC_FILTER_PING, L"Ping &below"},
        {IDC_QUICK_TEXT, L"C&onnect to:"}, {IDC_QUICK_GO, L"Connect"},
        {IDC_GET_MASTERS, L"Get from mas&ters"}, {IDC_MASTERS, L"&Masters..."},
        {IDC_SERVERS, L""},
        {IDC_WATCH_STOP, L"Stop &waiting"},
        {IDC_DETAIL_TABS, L""}, {IDC_DETAIL_LIST, L""},
        {IDC_LOG, L""},
        {IDC_FRIEND_TEXT, L"Friends"}, {IDC_FRIEND_ADD, L"Add friend"}, {IDC_FRIEND_REMOVE, L"Remove"},
        {IDC_FRIEND_LIST, L""}};
    // clang-format on
    std::vector<std::pair<int, std::wstring>> walked;
    for (HWND stop : Shown(window)) {
        if (GetWindowLongW(stop, GWL_STYLE) & WS_TABSTOP)
            walked.emplace_back(GetDlgCtrlID(stop),
                                WindowText(IsBox(stop) ? GetWindow(stop, GW_HWNDPREV) : stop));
    }
    EXPECT_THAT(walked, ElementsAreArray(order));
    EXPECT_THAT(KeyboardProblems(window), IsEmpty());
    // Alt and a label's key, as the dialog keys take it: the box after the label has the keyboard.
    for (HWND label : Shown(window)) {
        const wchar_t key = AccessKey(label);
        if (!key || ClassOf(label) != L"Static") continue;
        SetFocus(Control(IDC_SERVERS));
        MSG alt{GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(std::towlower(key)), 1 << 29, 0, {}};
        EXPECT_TRUE(browser->PreTranslate(alt)) << WindowText(label);
        EXPECT_EQ(GetFocus(), GetWindow(label, GW_HWNDNEXT)) << WindowText(label);
    }
    // Enter on the list joins the server in focus: the join dialog opens.
    Select(0);
    SetFocus(Control(IDC_SERVERS));
    std::atomic<bool> joining{false};
    std::thread answer([&] {
        if (const HWND dialog = FindDialog(L"Join server", 10)) {
            joining = true;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    PostMessageW(Control(IDC_SERVERS), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(PumpUntil(*browser, [&] { return joining.load(); }));
    answer.join();
}

}  // namespace vtbrowse_driving
