// The main window's parts and where they go: the command bar, two rows of filters with quick
// connect and the masters' buttons at their ends, the server list, the line for the server the
// plugin handed back beside the seat watch's, the details, the log beside the friends and the
// status bar. The list and the details share what the window's height leaves them.
#include "apps/vtbrowse/browser_window_win.h"

#include <algorithm>

#include "apps/shared/host_paths_win.h"
#include "apps/shared/usable_address.h"
#include "apps/vtbrowse/about_box_win.h"
#include "apps/vtbrowse/add_servers_dialog_win.h"
#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/join_dialog_win.h"
#include "apps/vtbrowse/player_search.h"
#include "apps/vtbrowse/settings_as_it_was.h"
#include "apps/vtbrowse/window_object_win.h"
#include "text/utf8_text.h"

namespace {

constexpr const wchar_t* MainClass = L"VtbrowseMain";
constexpr int Margin = 6;
constexpr int RowHeight = 24;
constexpr int LineHeight = 18;
constexpr int LogHeight = 128;

}  // namespace

BrowserWindow::BrowserWindow(BrowserStart start) : start_(std::move(start)) {
    std::vector<std::string> problems = start_.options.problems;
    const std::vector<std::string> unread = LoadSettingsFile(start_.settingsPath, settings_);
    problems.insert(problems.end(), unread.begin(), unread.end());
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    mainClass_ = RegisterObjectClass<BrowserWindow>(MainClass, LoadIconW(nullptr, IDI_APPLICATION));
    chartClass_ = CountChart::RegisterClass();
    accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    const WindowPlace& place = settings_.window;
    const bool placed = place.width >= 400 && place.height >= 300;
    CreateWindowExW(WS_EX_CONTROLPARENT, MainClass, L"vtbrowse - Tribes servers", WS_OVERLAPPEDWINDOW,
                    placed ? place.x : CW_USEDEFAULT, placed ? place.y : CW_USEDEFAULT,
                    placed ? place.width : 980, placed ? place.height : 620, nullptr, nullptr,
                    GetModuleHandleW(nullptr), this);
    if (!window_) return;
    hostWindow_.window = window_.get();
    AddAboutItem(window_.get());
    find_ = std::make_unique<FindPlayerWindow>(
        window_.get(), [this](const std::wstring& text) { return FindPlayers(table_, text); },
        [this](ServerId id) { SelectServer(id); });
    ShowWindow(window_.get(), start_.show);
    UpdateWindow(window_.get());

    for (const std::string& problem : problems) log_->Add(WideFromUtf8(problem));
    // The file is written anew without what could not be read: the user's lines are kept.
    if (!unread.empty()) log_->Add(KeepAsItWasNow(start_.settingsPath));
    plugin_->Load(start_.pluginPath, start_.options.mostSessions, settings_.timeoutSeconds);
    std::vector<ServerAddress> servers = std::exchange(settings_.servers, {});
    servers.insert(servers.end(), start_.options.servers.begin(), start_.options.servers.end());
    AddServers(servers);
    ListRestored(table_.RestoreListed(std::exchange(settings_.listed, {})), L" the masters gave before");
    ListRestored(table_.RestoreFavourites(settings_.favourites), L" of favourites no master lists any more");
    for (const std::string& file : start_.options.serverFiles) ImportFile(FullHostPath(file));
    if (const std::optional<ServerAddress>& chosen = start_.options.select) {
        if (const ServerRow* row = table_.Find(*chosen)) SelectServer(row->id);
    }
    list_->ShowOrder(settings_.order);
    started_ = true;
    Save();
    if (!table_.Empty()) RefreshAll();
    if (start_.options.join) QuickJoin(*start_.options.join);
    if (settings_.mastersAtStart) masters_->Fetch();
    UpdateStatus();
}

BrowserWindow::~BrowserWindow() {
    plugin_.reset();
    find_.reset();
    window_.reset();
}

void BrowserWindow::CreateParts() {
    HWND window = window_.get();
    const auto log = [this](const std::wstring& text) { log_->Add(text); };
    const auto checkAlone = [this](ServerId id) {
        if (Side()) Side()->Check(id);
    };
    plugin_ = std::make_unique<PluginPane>(
        table_,
        PluginPane::Handlers{log, [this](const wchar_t* hint) { status_->Say(hint); },
                             [this](const SideBatch& batch) { Taken(batch); }, [this] { UpdateStatus(); }});
    commands_ = std::make_unique<CommandBar>(window, settings_.autoRefresh, settings_.autoRefreshSeconds,
                                             CommandBar::Handlers{[this](int id) { OnCommand(id); },
                                                                  [this](bool on, int seconds) {
                                                                      settings_.autoRefresh = on;
                                                                      settings_.autoRefreshSeconds = seconds;
                                                                      UpdateStatus();
                                                                      Save();
                                                                  },
                                                                  [this] {
                                                                      if (!Refreshing() && !table_.Empty())
                                                                          RefreshAll();
                                                                  },
                                                                  log});
    filters_ = std::make_unique<FilterPane>(window, settings_.filter, [this] {
        settings_.filter = filters_->Filter();
        UpdateList();
        Save();
    });
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    CreateControl(window, L"Button", L"&Get from masters", button, IDC_GET_MASTERS);
    CreateControl(window, L"Button", L"&Masters...", button, IDC_MASTERS);
    list_ = std::make_unique<ServerListView>(
        window, table_,
        ServerListView::Handlers{[this](RowColumn column) { SortBy(column); }, [this] { ShowDetails(); },
                                 [this] { RemoveSelected(); },
                                 [this] { JoinServer(list_->FocusedId(), false); },
                                 [this](ServerId id) {
                                     if (Side()) Side()->OpenPluginMenu(id);
                                 },
                                 [this](int id) { OnCommand(id); }});
    handedBack_ = std::make_unique<HandedBackLine>(window);
    details_ = std::make_unique<DetailPane>(window);
    log_ = std::make_unique<LogPane>(window);
    quick_ = std::make_unique<QuickConnect>(
        window, IDC_QUICK_CONNECT,
        QuickConnect::Handlers{[this](const ServerAddress& server) { QuickJoin(server); }, checkAlone,
                               [this](ServerId id) { SelectServer(id); }, log});
    seats_ = std::make_unique<SeatWatchBar>(
        window, IDC_SEAT_WATCH, table_,
        SeatWatchBar::Handlers{checkAlone, [this](ServerId id) { Launch(id); }, log});
    const auto chosen = [this](ServerId id) {
        ShowWindow(window_.get(), SW_RESTORE);
        SetForegroundWindow(window_.get());
        SelectServer(id);
    };
    friends_ = std::make_unique<FriendsPane>(
        window, IDC_FRIENDS, table_, settings_.friends,
        FriendsPane::Handlers{log, [this] { Save(); }, chosen, start_.notified});
    MastersPane::Handlers fetched{log,
                                  [this](const wchar_t* hint) { status_->Say(hint); },
                                  [this] { UpdateStatus(); },
                                  [this] {
                                      UpdateList();
                                      find_->Update();
                                      Save();
                                  },
                                  [this](const MasterChoice& choice) {
                                      settings_.masters = choice.masters;
                                      settings_.mastersAtStart = choice.atStart;
                                      Save();
                                  },
                                  [this] { return !Side() || Refreshing(); },
                                  [this](const std::vector<ServerId>& ids) { plugin_->Refresh(ids); }};
    masters_ = std::make_unique<MastersPane>(
        window, table_, MasterChoice{settings_.masters, settings_.mastersAtStart}, std::move(fetched));
    status_ = std::make_unique<RefreshStatus>(window);
}

void BrowserWindow::Layout() {
    HWND window = window_.get();
    RECT client;
    GetClientRect(window, &client);
    const int statusHeight = status_->Height();
    status_->Place(RECT{0, client.bottom - statusHeight, client.right, client.bottom});
    const int right = client.right - Margin;
    const int width = right - Margin;
    int y = Margin;
    commands_->Place(RECT{Margin, y, right, y + RowHeight});
    y += RowHeight + 4;
    // The filters take two rows; quick connect stands at the first one's right end, the masters'
    // buttons at the second one's.
    quick_->Place(RECT{std::max(600, right - 330), y, right, y + RowHeight - 2});
    const int mastersLeft = std::max<int>(Margin + 724, right - 214);
    filters_->Place(RECT{Margin, y, mastersLeft - 8, y + 2 * RowHeight + 2});
    y += RowHeight + 4;
    MoveWindow(GetDlgItem(window, IDC_GET_MASTERS), mastersLeft, y, 120, RowHeight - 2, TRUE);
    MoveWindow(GetDlgItem(window, IDC_MASTERS), mastersLeft + 124, y, 90, RowHeight - 2, TRUE);
    y += RowHeight + 4;
    // What is left between the filters and the log: 55 parts list, 45 parts details.
    const int logTop = client.bottom - statusHeight - Margin - LogHeight;
    const int listHeight = std::max(120, logTop - y - LineHeight - 4 - 2 * Margin) * 55 / 100;
    list_->Place(RECT{Margin, y, right, y + listHeight});
    y += listHeight + 2;
    const int seatsRight = Margin + width * 65 / 100;
    seats_->Place(RECT{Margin, y, seatsRight, y + LineHeight + 4});
    handedBack_->Place(RECT{seatsRight + 10, y, right, y + LineHeight + 2});
    y += LineHeight + 6;
    details_->Place(RECT{Margin, y, right, y + std::max(60, logTop - Margin - y)});
    // The friends take at most 460 pixels, the log the rest.
    const int friendsLeft = right - std::min(460, width * 45 / 100);
    log_->Place(RECT{Margin, logTop, friendsLeft - Margin, logTop + LogHeight});
    friends_->Place(RECT{friendsLeft, logTop, right, logTop + LogHeight});
}

LRESULT BrowserWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FollowWindow(window_, window, message);
    if (message == WM_CREATE) {
        CreateParts();
        return 0;
    }
    // Its parts' windows are gone with it: they must not be asked to touch them.
    if (message == WM_NCDESTROY) status_.reset();
    // Until its parts exist the window is only a frame.
    if (!status_) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{720, 460};
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != AboutCommand) break;
            ShowAboutBox(window_.get(), start_.pluginPath);
            return 0;
        case CMD_FORWARD: {
            // The plugin hands back its record of the server and the value we gave it, the id.
            const ServerRow* row = table_.Find(static_cast<ServerId>(lParam));
            log_->Add(handedBack_->Show(reinterpret_cast<const VtPluginServerStruct*>(wParam), row));
            if (row) SelectServer(row->id);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool BrowserWindow::PreTranslate(MSG& message) {
    if (find_ && find_->Window() && IsWindowVisible(find_->Window()) &&
        IsDialogMessageW(find_->Window(), &message))
        return true;
    if (!window_) return false;
    if (accelerators_ && TranslateAcceleratorW(window_.get(), accelerators_, &message)) return true;
    return IsDialogMessageW(window_.get(), &message) != FALSE;
}

void BrowserWindow::OnCommand(int id) {
    switch (id) {
        case IDC_ADD:
            return AddServers(AskServers(window_.get()));
        case IDC_REMOVE:
            return RemoveSelected();
        case IDC_IMPORT:
            if (const std::optional<std::wstring> path = AskServerListFile(window_.get())) ImportFile(*path);
            return;
        case IDC_REFRESH:
            return RefreshAll();
        case IDC_REFRESH_SELECTED:
            return plugin_->Refresh(list_->SelectedIds());
        case IDCANCEL:
            return CancelRefresh();
        case IDOK:
            // Enter: the pane with the keyboard takes it (the list joins the server in focus).
            if (!list_->OnEnter(GetFocus()) && !quick_->OnEnter(GetFocus())) friends_->OnEnter(GetFocus());
            return;
        case IDC_JOIN:
        case IDC_WATCH_SEAT:
            return JoinServer(list_->FocusedId(), id == IDC_WATCH_SEAT);
        case IDC_FIND:
            find_->Update();
            return find_->Open();
        case IDC_FAVOURITE:
            table_.ToggleFavourites(list_->SelectedIds());
            UpdateList();
            return Save();
        case IDC_GET_MASTERS:
            return masters_->Fetch();
        case IDC_MASTERS:
            return masters_->Edit();
        case IDC_HAND_BACK:
            if (Side() && list_->FocusedId()) Side()->HandBack(list_->FocusedId(), hostWindow_);
            return;
        default:
            return;
    }
}

void BrowserWindow::SelectServer(ServerId id) {
    list_->Select(id);
    ShowDetails();
}

void BrowserWindow::ShowDetails() {
    details_->Show(table_.Find(list_->FocusedId()));
}

void BrowserWindow::UpdateList() {
    list_->Show(settings_.filter, settings_.order);
    ShowDetails();
    UpdateStatus();
}

void BrowserWindow::SortBy(RowColumn column) {
    settings_.order.descending = settings_.order.column == column && !settings_.order.descending;
    settings_.order.column = column;
    list_->ShowOrder(settings_.order);
    UpdateList();
    Save();
}

void BrowserWindow::AddServers(const std::vector<ServerAddress>& servers) {
    // A server that masters listed, added by hand too, stays when they stop listing it.
    const AddedRows added = table_.AddByHand(servers);
    if (!added.empty()) {
        log_->Add(L"Added " + Plural(added.size(), L"server", L"servers") +
                  (Refreshing() ? L"; they are refreshed after the running refresh" : L""));
        UpdateList();
    }
    Save();  // a server the masters listed may be one added by hand now
}

void BrowserWindow::ImportFile(const std::wstring& path) {
    std::vector<ServerAddress> servers;
    ServerListError error;
    if (!ReadServerListFile(Utf8FromWide(path), servers, error, ParseUsableServerAddress))
        return log_->Add(L"Nothing imported: " + WideFromUtf8(error.message));
    log_->Add(L"Read " + Plural(servers.size(), L"server", L"servers") + L" from " + path);
    AddServers(WithoutDuplicates(servers));
}

void BrowserWindow::RemoveSelected() {
    const std::vector<ServerId> ids = table_.Remove(list_->SelectedIds());
    if (ids.empty()) return;
    log_->Add(L"Removed " + Plural(ids.size(), L"server", L"servers"));
    UpdateList();
    find_->Update();
    Save();
}

void BrowserWindow::ListRestored(const AddedRows& added, const std::wstring& which) {
    if (added.empty()) return;
    log_->Add(L"Listed " + Plural(added.size(), L"server", L"servers") + which);
    UpdateList();
}

void BrowserWindow::RefreshAll() {
    plugin_->Refresh(table_.Ids());
}

void BrowserWindow::CancelRefresh() {
    masters_->Cancel();
    plugin_->Cancel();
    UpdateStatus();
}

void BrowserWindow::JoinServer(ServerId id, bool waitForSeat) {
    const ServerRow* row = table_.Find(id);
    if (!row)
        return status_->Say(waitForSeat ? L"Select the full server to wait for first"
                                        : L"Select the server to join first");
    if (!Side()) return log_->Add(L"Cannot join: Tribes.vtplugin could not be loaded (see above)");
    if (!AskJoinKept(window_.get(), *row, settings_, waitForSeat)) return;
    Save();
    if (!waitForSeat) return Launch(id);
    seats_->Start(id, SeatWatchPlan{std::chrono::seconds(settings_.seatWatchSeconds),
                                    std::chrono::minutes(settings_.seatWatchGiveUpMinutes)});
}

void BrowserWindow::Launch(ServerId id) {
    const ServerRow* row = table_.Find(id);
    if (row && Side())
        Side()->Join(id, settings_.join, settings_.optionValues[row->address.Text()]);
}

void BrowserWindow::QuickJoin(const ServerAddress& server) {
    AddServers({server});
    const ServerRow* row = table_.Find(server);
    if (row && Side()) quick_->Await(row->id);
}

void BrowserWindow::Taken(const SideBatch& batch) {
    ServerId joinNow = 0;
    for (const auto& [server, answered] : batch.checks) {
        if (!answered) seats_->CheckFailed(server);
        if (quick_->Arrived(server)) joinNow = server;
    }
    if (batch.refreshEnded) {
        find_->Update();
        filters_->OfferChoices(table_);
    }
    if (batch.refreshEnded || batch.answeredAlone) friends_->Tell();
    if (batch.rowsChanged) {
        list_->Update();
        ShowDetails();
    }
    masters_->RefreshListed();
    UpdateStatus();
    if (joinNow) JoinServer(joinNow, false);
}

void BrowserWindow::UpdateStatus() {
    const RefreshTally& tally = plugin_->Tally();
    const MasterTally& fetching = masters_->Tally();
    status_->Show(tally, ListCounts(table_.Size(), list_->Shown(), commands_->AutoSeconds()),
                  fetching.Running() ? fetching.Activity() : L"");
    commands_->ShowRunning(Side() && !tally.Running(), (tally.Running() && !tally.Cancelling()) ||
                                                           (fetching.Running() && !fetching.Cancelling()));
    ShowEnabled(GetDlgItem(window_.get(), IDC_GET_MASTERS), !fetching.Running());
}

void BrowserWindow::Save() {
    // Nothing to save before the servers of the file are listed again.
    if (!started_) return;
    table_.StoreOrigins(settings_.servers, settings_.listed);
    settings_.favourites = table_.FavouriteAddresses();
    settings_.friends = friends_->Friends();
    std::string error;
    if (!SaveSettingsFile(start_.settingsPath, settings_, error))
        log_->Add(L"Settings not saved: " + WideFromUtf8(error));
}

void BrowserWindow::OnClose() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window_.get(), &placement)) {
        const RECT& normal = placement.rcNormalPosition;
        settings_.window =
            WindowPlace{normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top};
    }
    Save();
    ShowWindow(window_.get(), SW_HIDE);
    if (start_.quitOnClose) PostQuitMessage(0);
}
