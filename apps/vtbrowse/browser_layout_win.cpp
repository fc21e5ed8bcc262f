// The main window's controls and parts, and where they go: a row of buttons, a row of filters with
// quick connect, the players' filters, the server list, the line for the server the plugin handed
// back beside the seat watch's, the details (a page per table beside the player-count chart), the
// log beside the friends and the status bar. The list and the details share what the window's
// height leaves them; the log and the friends keep a few lines.
#include <algorithm>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/browser_window_win.h"
#include "apps/vtbrowse/controls_win.h"

namespace {

constexpr int Margin = 6;
constexpr int RowHeight = 24;
constexpr int LineHeight = 18;
constexpr int LogHeight = 128;
constexpr int FriendsWidth = 460;  // at the most; the log has the rest
constexpr int QuickConnectWidth = 330;

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
    CreateControl(window, L"Button", L"&Get from masters", button, IDC_GET_MASTERS);
    CreateControl(window, L"Button", L"&Masters...", button, IDC_MASTERS);

    ServerListView::Handlers handlers;
    handlers.columnClicked = [this](RowColumn column) { SortBy(column); };
    handlers.selectionChanged = [this] { ShowDetails(); };
    handlers.deletePressed = [this] { RemoveSelected(); };
    handlers.chosen = [this] { JoinSelected(); };
    list_ = std::make_unique<ServerListView>(window, IDC_SERVERS, table_, std::move(handlers));
    // Empty until the plugin passes a server back (the list's context menu).
    handedBack_ =
        CreateControl(window, L"Static", L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS, IDC_HANDED_BACK);
    details_ = std::make_unique<DetailPane>(
        window, DetailPaneIds{IDC_DETAIL_TABS, IDC_DETAIL_LIST, IDC_CHART_TITLE, IDC_CHART});
    log_ = std::make_unique<LogPane>(window, IDC_LOG);
    filters_ = std::make_unique<FilterBar>(window, IDC_FILTER_BAR, [this] {
        ReadFilters();
        UpdateList();
        Save();
    });
    const auto log = [this](const std::wstring& text) { Log(text); };
    const auto checkAlone = [this](ServerId id) {
        if (side_) side_->Check(id);
    };
    quick_ = std::make_unique<QuickConnect>(
        window, IDC_QUICK_CONNECT,
        QuickConnect::Handlers{[this](const ServerAddress& server) { QuickJoin(server); }, checkAlone,
                               [this](ServerId id) { SelectServer(id); }, log});
    SeatWatchBar::Handlers watch;
    watch.ping = checkAlone;
    watch.launch = [this](ServerId id) {
        const ServerRow* row = table_.Find(id);
        if (row && side_)
            side_->Join(id, JoinRequest{settings_.join, settings_.optionValues[row->address.Text()]});
    };
    watch.log = log;
    seats_ = std::make_unique<SeatWatchBar>(window, IDC_SEAT_WATCH, table_, std::move(watch));
    FriendsPane::Handlers friends;
    friends.log = log;
    friends.friendsChanged = [this] { Save(); };
    friends.chosen = [this](ServerId id) {
        ShowWindow(window_.get(), SW_RESTORE);
        SetForegroundWindow(window_.get());
        SelectServer(id);
    };
    friends.notified = start_.notified;
    friends_ =
        std::make_unique<FriendsPane>(window, IDC_FRIENDS, table_, settings_.friends, std::move(friends));
    MastersPane::Handlers fetched;
    fetched.log = log;
    fetched.hint = [this](const wchar_t* hint) { status_->Say(hint); };
    fetched.fetchChanged = [this] { UpdateStatus(); };
    fetched.listChanged = [this] {
        UpdateList();
        find_->Update();
    };
    fetched.save = [this] { Save(); };
    fetched.chosen = [this](const MasterChoice& choice) {
        settings_.masters = choice.masters;
        settings_.mastersAtStart = choice.atStart;
        Save();
    };
    fetched.busy = [this] { return !side_ || Refreshing(); };
    fetched.refresh = [this](const std::vector<ServerId>& ids) { Refresh(ids); };
    masters_ = std::make_unique<MastersPane>(
        window, table_, MasterChoice{settings_.masters, settings_.mastersAtStart}, std::move(fetched));
    status_ = std::make_unique<RefreshStatus>(window, IDC_STATUS);
}

void BrowserWindow::ShowSettings() {
    HWND window = window_.get();
    SetDlgItemTextW(window, IDC_AUTO_SECONDS, std::to_wstring(settings_.autoRefreshSeconds).c_str());
    SetChecked(GetDlgItem(window, IDC_AUTO), settings_.autoRefresh);
    SetChecked(GetDlgItem(window, IDC_HIDE_EMPTY), settings_.filter.hideEmpty);
    SetChecked(GetDlgItem(window, IDC_HIDE_FULL), settings_.filter.hideFull);
    SetChecked(GetDlgItem(window, IDC_HIDE_SILENT), settings_.filter.hideSilent);
    filters_->Show(settings_.filter);
    // Last: its change notification reads every filter back.
    SetDlgItemTextW(window, IDC_FILTER_TEXT, settings_.filter.text.c_str());
}

void BrowserWindow::ReadFilters() {
    HWND window = window_.get();
    settings_.filter.text = WindowText(GetDlgItem(window, IDC_FILTER_TEXT));
    settings_.filter.hideEmpty = IsChecked(GetDlgItem(window, IDC_HIDE_EMPTY));
    settings_.filter.hideFull = IsChecked(GetDlgItem(window, IDC_HIDE_FULL));
    settings_.filter.hideSilent = IsChecked(GetDlgItem(window, IDC_HIDE_SILENT));
    filters_->Read(settings_.filter);
}

void BrowserWindow::Layout() {
    HWND window = window_.get();
    if (!status_) return;
    RECT client;
    GetClientRect(window, &client);
    const int statusHeight = status_->Layout(client.right);

    const int width = client.right - 2 * Margin;
    int y = Margin;
    PlaceRow(window, Margin, y, RowHeight,
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
    y += RowHeight + 4;
    PlaceRow(window, Margin, y, RowHeight - 2,
             {{IDC_FILTER_LABEL, 84},
              {IDC_FILTER_TEXT, 180},
              {0, 8},
              {IDC_HIDE_EMPTY, 86},
              {IDC_HIDE_FULL, 76},
              {IDC_HIDE_SILENT, 110}});
    const int quickLeft = std::max(600, Margin + width - QuickConnectWidth);
    quick_->Place(RECT{quickLeft, y, Margin + width, y + RowHeight - 2});
    y += RowHeight + 4;
    // The masters' buttons at the row's right end, past the players' filters.
    const int mastersLeft = std::max<int>(Margin + 724, client.right - Margin - 214);
    filters_->Place(RECT{Margin, y, mastersLeft - 8, y + RowHeight - 2});
    PlaceRow(window, mastersLeft, y, RowHeight - 2, {{IDC_GET_MASTERS, 120}, {IDC_MASTERS, 90}});
    y += RowHeight + 4;

    // What is left between the filters and the log: 55 parts list, 45 parts details.
    const int logTop = client.bottom - statusHeight - Margin - LogHeight;
    const int shared = std::max(120, logTop - y - LineHeight - 4 - 2 * Margin);
    const int listHeight = shared * 55 / 100;
    MoveWindow(list_->Window(), Margin, y, width, listHeight, TRUE);
    y += listHeight + 2;
    const int seatsWidth = width * 65 / 100;
    seats_->Place(RECT{Margin, y, Margin + seatsWidth, y + LineHeight + 4});
    MoveWindow(handedBack_, Margin + seatsWidth + 10, y, width - seatsWidth - 10, LineHeight + 2, TRUE);
    y += LineHeight + 6;
    details_->Layout(RECT{Margin, y, Margin + width, y + std::max(60, logTop - Margin - y)});
    const int friendsWidth = std::min(FriendsWidth, width * 45 / 100);
    MoveWindow(log_->Window(), Margin, logTop, width - friendsWidth - Margin, LogHeight, TRUE);
    friends_->Place(RECT{Margin + width - friendsWidth, logTop, Margin + width, logTop + LogHeight});
}
