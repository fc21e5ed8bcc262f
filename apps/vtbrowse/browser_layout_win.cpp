// The main window's controls and parts, and where they go: a row of buttons, two rows of filters
// with quick connect and the masters' buttons at their ends, the server list, the line for the server the plugin handed
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

    filters_ = std::make_unique<FilterPane>(window, settings_.filter, [this] {
        settings_.filter = filters_->Filter();
        UpdateList();
        Save();
    });
    CreateControl(window, L"Button", L"&Get from masters", button, IDC_GET_MASTERS);
    CreateControl(window, L"Button", L"&Masters...", button, IDC_MASTERS);

    ServerListView::Handlers handlers;
    handlers.columnClicked = [this](RowColumn column) { SortBy(column); };
    handlers.selectionChanged = [this] { ShowDetails(); };
    handlers.deletePressed = [this] { RemoveSelected(); };
    handlers.chosen = [this] { JoinSelected(); };
    handlers.menuOpening = [this](ServerId id) {
        if (side_) side_->OpenPluginMenu(id);
    };
    handlers.command = [this](int id) { OnCommand(id, 0); };
    list_ = std::make_unique<ServerListView>(window, table_, std::move(handlers));
    // Empty until the plugin passes a server back (the list's context menu).
    handedBack_ =
        CreateControl(window, L"Static", L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS, IDC_HANDED_BACK);
    details_ = std::make_unique<DetailPane>(window);
    log_ = std::make_unique<LogPane>(window);
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
        Save();
    };
    fetched.chosen = [this](const MasterChoice& choice) {
        settings_.masters = choice.masters;
        settings_.mastersAtStart = choice.atStart;
        Save();
    };
    fetched.busy = [this] { return !side_ || Refreshing(); };
    fetched.refresh = [this](const std::vector<ServerId>& ids) { Refresh(ids); };
    masters_ = std::make_unique<MastersPane>(
        window, table_, MasterChoice{settings_.masters, settings_.mastersAtStart}, std::move(fetched));
    status_ = std::make_unique<RefreshStatus>(window);
}

void BrowserWindow::ShowSettings() {
    HWND window = window_.get();
    SetDlgItemTextW(window, IDC_AUTO_SECONDS, std::to_wstring(settings_.autoRefreshSeconds).c_str());
    SetChecked(GetDlgItem(window, IDC_AUTO), settings_.autoRefresh);
}

void BrowserWindow::Layout() {
    HWND window = window_.get();
    if (!status_) return;
    RECT client;
    GetClientRect(window, &client);
    const int statusHeight = status_->Height();
    status_->Place(RECT{0, client.bottom - statusHeight, client.right, client.bottom});

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
    // The filters take two rows; quick connect stands at the first one's right end, the masters'
    // buttons at the second one's.
    const int quickLeft = std::max(600, Margin + width - QuickConnectWidth);
    quick_->Place(RECT{quickLeft, y, Margin + width, y + RowHeight - 2});
    const int mastersLeft = std::max<int>(Margin + 724, client.right - Margin - 214);
    filters_->Place(RECT{Margin, y, mastersLeft - 8, y + 2 * RowHeight + 2});
    y += RowHeight + 4;
    PlaceRow(window, mastersLeft, y, RowHeight - 2, {{IDC_GET_MASTERS, 120}, {IDC_MASTERS, 90}});
    y += RowHeight + 4;

    // What is left between the filters and the log: 55 parts list, 45 parts details.
    const int logTop = client.bottom - statusHeight - Margin - LogHeight;
    const int shared = std::max(120, logTop - y - LineHeight - 4 - 2 * Margin);
    const int listHeight = shared * 55 / 100;
    list_->Place(RECT{Margin, y, Margin + width, y + listHeight});
    y += listHeight + 2;
    const int seatsWidth = width * 65 / 100;
    seats_->Place(RECT{Margin, y, Margin + seatsWidth, y + LineHeight + 4});
    MoveWindow(handedBack_, Margin + seatsWidth + 10, y, width - seatsWidth - 10, LineHeight + 2, TRUE);
    y += LineHeight + 6;
    details_->Place(RECT{Margin, y, Margin + width, y + std::max(60, logTop - Margin - y)});
    const int friendsWidth = std::min(FriendsWidth, width * 45 / 100);
    log_->Place(RECT{Margin, logTop, width - friendsWidth, logTop + LogHeight});
    friends_->Place(RECT{Margin + width - friendsWidth, logTop, Margin + width, logTop + LogHeight});
}
