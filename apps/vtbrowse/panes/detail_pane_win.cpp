#include "apps/vtbrowse/panes/detail_pane_win.h"

#include <algorithm>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL DetailPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
    return TakeMessage(*this,
                       {{WM_NOTIFY, &DetailPane::OnNotify},
                        {WM_SIZE, &DetailPane::OnSize},
                        {DpiChangedAfterParent, &DetailPane::OnDpiChanged}},
                       message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

namespace {

// In 96-DPI units.
constexpr int ChartWidth = 280;
constexpr int Margin = 6;
constexpr int LineHeight = 18;

// The average character width of window's font in pixels, as the system measures it for dialog
// units: the width of the 52 letters, halved twice over 26 and rounded.
int AverageCharWidth(HWND window) {
    HDC dc = GetDC(window);
    if (!dc) return 6;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
    HGDIOBJ before = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE letters{};
    const wchar_t* alphabet = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const bool measured = GetTextExtentPoint32W(dc, alphabet, 52, &letters) != FALSE;
    SelectObject(dc, before);
    ReleaseDC(window, dc);
    return measured ? (letters.cx / 26 + 1) / 2 : 6;
}

}  // namespace

DetailPane::DetailPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_DETAIL_PANE);
    HWND pane = window_.get();
    tabs_ = CreateControl(pane, WC_TABCONTROLW, L"", WS_TABSTOP, IDC_DETAIL_TABS);
    list_ = CreateControl(pane, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP,
                          IDC_DETAIL_LIST, WS_EX_CLIENTEDGE);
    chartTitle_ = CreateControl(pane, L"Static", L"Select a server to see its players over time",
                                SS_LEFT | SS_ENDELLIPSIS, IDC_CHART_TITLE);
    chart_ = std::make_unique<CountChart>(pane, IDC_CHART, dpi_);
    averageCharWidth_ = AverageCharWidth(list_);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    model_.Subscribe(*this);
}

DetailPane::~DetailPane() {
    model_.Unsubscribe(*this);
}

void DetailPane::Changed(const ModelChange& change) {
    if (change.focus || change.shown || !change.answered.empty()) Show(model_.Find(model_.Focused()));
}

void DetailPane::Show(const ServerRow* row) {
    std::vector<DetailPage> pages = row ? DetailPages(row->last) : std::vector<DetailPage>{};
    // The list updates five times a second while a refresh runs: a page that has not changed is
    // left as it is, scrolled where the user left it.
    const bool changed = pages != pages_;
    pages_ = std::move(pages);
    std::vector<std::wstring> titles;
    for (const DetailPage& page : pages_) titles.push_back(page.title);
    if (titles != titles_) {
        const int current = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
        SendMessageW(tabs_, TCM_DELETEALLITEMS, 0, 0);
        for (size_t i = 0; i < titles.size(); ++i) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = titles[i].data();
            SendMessageW(tabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
        const int keep = current >= 0 && current < static_cast<int>(titles.size()) ? current : 0;
        SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(keep), 0);
        titles_ = titles;
        // The page area below the tabs depends on whether there are any.
        RECT client{};
        GetClientRect(window_.get(), &client);
        LayOut(client.right, client.bottom);
    }
    if (changed) FillPage();
    const std::wstring name = row ? (row->last.status.serverName.empty() ? CellText(*row, RowColumn::Address)
                                                                         : row->last.status.serverName)
                                  : L"";
    ShowText(chartTitle_, row ? L"Players on " + name + L" since vtbrowse started"
                              : L"Select a server to see its players over time");
    chart_->Show(row ? row->history : std::vector<CountPoint>{}, row ? row->last.status.maxPlayers : 0);
}

void DetailPane::FillPage() {
    const int index = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
    const DetailPage* page = index >= 0 && static_cast<size_t>(index) < pages_.size()
                                 ? &pages_[static_cast<size_t>(index)]
                                 : nullptr;
    const std::vector<DetailColumn> columns = page ? page->columns : std::vector<DetailColumn>{};
    if (columns == columns_) {
        // The same headings: only the cells that changed are drawn again.
        ShowListRows(list_, page ? page->rows : std::vector<std::vector<std::wstring>>{});
        return;
    }
    columns_ = columns;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    RemoveListColumns(list_);
    for (const DetailColumn& column : columns_) {
        AddListColumn(list_, column.heading, DeclaredWidthPixels(column.width, averageCharWidth_));
    }
    if (page) ShowListRows(list_, page->rows);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

LRESULT DetailPane::OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&) {
    averageCharWidth_ = AverageCharWidth(list_);
    chart_->SetDpi(dpi_);
    columns_.clear();  // the page's columns are made again at the new widths
    FillPage();
    return 0;
}

LRESULT DetailPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    LayOut(LOWORD(lParam), HIWORD(lParam));
    return 0;
}

void DetailPane::LayOut(int width, int height) {
    const int chartWidth = std::min(Scaled(ChartWidth), width / 3);
    const int tabsWidth = width - chartWidth - Scaled(Margin);
    // The tabs are a row above the list, not a frame around it: Tab meets them first, as a
    // reader does.
    RECT page{0, 0, tabsWidth, height};
    SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    const int strip = std::clamp(static_cast<int>(page.top), 0, height);
    MoveWindow(tabs_, 0, 0, tabsWidth, strip, TRUE);
    MoveWindow(list_, 0, strip, tabsWidth, height - strip, TRUE);
    const int chartLeft = tabsWidth + Scaled(Margin);
    MoveWindow(chartTitle_, chartLeft, Scaled(2), chartWidth, Scaled(LineHeight - 2), TRUE);
    MoveWindow(chart_->Window(), chartLeft, Scaled(LineHeight), chartWidth, height - Scaled(LineHeight),
               TRUE);
}

LRESULT DetailPane::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) FillPage();
    return 0;
}
