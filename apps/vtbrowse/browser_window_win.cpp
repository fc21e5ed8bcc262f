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
constexpr UINT SideMessage = WM_APP + 1;
constexpr UINT_PTR AutoTimer = 1;
constexpr UINT_PTR ErrorTimer = 2;
constexpr UINT_PTR EventsTimer = 3;
// While a refresh runs the window takes in results at most this often: redrawing the list for
// every answer would keep a processor and the Wine server busy that the pings need.
constexpr auto ResultsEvery = std::chrono::milliseconds(200);
constexpr UINT ErrorPollMs = 250;

}  // namespace

BrowserWindow::BrowserWindow(BrowserStart start) : start_(std::move(start)) {
    std::vector<std::string> problems = start_.options.problems;
    const std::vector<std::string> unread = LoadSettingsFile(start_.settingsPath, settings_);
    problems.insert(problems.end(), unread.begin(), unread.end());

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ObjectWindowProc<BrowserWindow>;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = MainClass;
    mainClass_ = owners::unique_window_class::Register(windowClass);
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
    ShowSettings();
    AddAboutItem(window_.get());
    find_ = std::make_unique<FindPlayerWindow>(
        window_.get(), [this](const std::wstring& text) { return FindPlayers(table_, text); },
        [this](ServerId id) { SelectServer(id); });
    ShowWindow(window_.get(), start_.show);
    UpdateWindow(window_.get());

    for (const std::string& problem : problems) Log(WideFromUtf8(problem));
    // The file is written anew without what could not be read: the user's lines are kept.
    if (!unread.empty()) Log(KeepAsItWasNow(start_.settingsPath));
    try {
        side_ = std::make_unique<PluginSide>(start_.pluginPath, start_.options.mostSessions,
                                             settings_.timeoutSeconds, table_, window_.get(), SideMessage);
    } catch (const std::exception& error) {
        Log(L"The plugin could not be loaded, so nothing can be refreshed or joined: " +
            WideFromUtf8(error.what()));
    }
    std::vector<ServerAddress> servers = std::exchange(settings_.servers, {});
    servers.insert(servers.end(), start_.options.servers.begin(), start_.options.servers.end());
    AddServers(servers);
    ListRestored(table_.RestoreListed(std::exchange(settings_.listed, {})), L" the masters gave before");
    ListRestored(table_.RestoreFavourites(settings_.favourites), L" of favourites no master lists any more");
    for (const std::string& file : start_.options.serverFiles) ImportFile(FullHostPath(file));
    if (const std::optional<ServerAddress>& chosen = start_.options.select) {
        if (const ServerRow* row = table_.Find(*chosen)) SelectServer(row->id);
    }
    SetTimer(window_.get(), ErrorTimer, ErrorPollMs, nullptr);
    ApplyAutoRefresh();
    list_->ShowOrder(settings_.order);
    started_ = true;
    Save();
    if (!table_.Empty()) RefreshAll();
    if (start_.options.join) QuickJoin(*start_.options.join);
    if (settings_.mastersAtStart) masters_->Fetch();
    UpdateStatus();
}

BrowserWindow::~BrowserWindow() {
    side_.reset();
    find_.reset();
    window_.reset();
}

LRESULT BrowserWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FollowWindow(window_, window, message);
    switch (message) {
        case WM_NCDESTROY:
            // Its controls are gone with it: the parts must not be asked to touch them.
            status_.reset();
            break;
        case WM_CREATE:
            CreateControls();
            return 0;
        default:
            // Until its controls exist the window is only a frame.
            if (!status_) break;
            switch (message) {
                case WM_SIZE:
                    Layout();
                    return 0;
                case WM_GETMINMAXINFO:
                    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{720, 460};
                    return 0;
                case WM_COMMAND:
                    OnCommand(LOWORD(wParam), HIWORD(wParam));
                    return 0;
                case WM_TIMER:
                    OnTimer(wParam);
                    return 0;
                case WM_CLOSE:
                    OnClose();
                    return 0;
                case WM_SYSCOMMAND:
                    if ((wParam & 0xFFF0) != AboutCommand) break;
                    ShowAboutBox(window_.get(), start_.pluginPath);
                    return 0;
                case SideMessage:
                    OnSideEvents();
                    return 0;
                case CMD_FORWARD:
                    OnHandedBack(wParam, lParam);
                    return 0;
                default:
                    break;
            }
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

int RunMessageLoop(BrowserWindow& browser) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (browser.PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void BrowserWindow::OnCommand(int id, int code) {
    switch (id) {
        case IDC_ADD:
            AddServers(AskServers(window_.get()));
            break;
        case IDC_REMOVE:
            RemoveSelected();
            break;
        case IDC_IMPORT:
            if (const std::optional<std::wstring> path = AskServerListFile(window_.get())) ImportFile(*path);
            break;
        case IDC_REFRESH:
            RefreshAll();
            break;
        case IDC_REFRESH_SELECTED:
            Refresh(list_->SelectedIds());
            break;
        case IDCANCEL:
            CancelRefresh();
            break;
        case IDOK:
            // Enter: the pane with the keyboard takes it (the list joins the server in focus).
            if (!list_->OnEnter(GetFocus()) && !quick_->OnEnter(GetFocus())) friends_->OnEnter(GetFocus());
            break;
        case IDC_JOIN:
            JoinSelected();
            break;
        case IDC_FIND:
            find_->Update();
            find_->Open();
            break;
        case IDC_AUTO:
            if (code == BN_CLICKED) ApplyAutoRefresh();
            break;
        case IDC_AUTO_SECONDS:
            if (code == EN_KILLFOCUS) ApplyAutoRefresh();
            break;
        case IDC_FAVOURITE:
            table_.ToggleFavourites(list_->SelectedIds());
            UpdateList();
            Save();
            break;
        case IDC_WATCH_SEAT:
            JoinServer(list_->FocusedId(), true);
            break;
        case IDC_GET_MASTERS:
            masters_->Fetch();
            break;
        case IDC_MASTERS:
            masters_->Edit();
            break;
        case IDC_HAND_BACK:
            if (side_ && list_->FocusedId()) side_->HandBack(list_->FocusedId(), hostWindow_);
            break;
        default:
            break;
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
    if (added.empty()) {
        Save();  // a server the masters listed may be one added by hand now
        return;
    }
    Log(L"Added " + Plural(added.size(), L"server", L"servers") +
        (Refreshing() ? L"; they are refreshed after the running refresh" : L""));
    UpdateList();
    Save();
}

void BrowserWindow::ImportFile(const std::wstring& path) {
    std::vector<ServerAddress> servers;
    ServerListError error;
    if (!ReadServerListFile(Utf8FromWide(path), servers, error, ParseUsableServerAddress)) {
        Log(L"Nothing imported: " + WideFromUtf8(error.message));
        return;
    }
    Log(L"Read " + Plural(servers.size(), L"server", L"servers") + L" from " + path);
    AddServers(WithoutDuplicates(servers));
}

void BrowserWindow::RemoveSelected() {
    const std::vector<ServerId> ids = table_.Remove(list_->SelectedIds());
    if (ids.empty()) return;
    Log(L"Removed " + Plural(ids.size(), L"server", L"servers"));
    UpdateList();
    find_->Update();
    Save();
}

void BrowserWindow::RefreshAll() {
    Refresh(table_.Ids());
}

void BrowserWindow::Refresh(std::vector<ServerId> ids) {
    if (!side_) {
        Log(L"Cannot refresh: Tribes.vtplugin could not be loaded (see above)");
        return;
    }
    if (Refreshing()) {
        Log(L"A refresh is running: wait for it, or cancel it (Esc)");
        return;
    }
    if (ids.empty()) {
        status_->Say(table_.Empty() ? L"Add servers first (Add..., Import...)"
                                    : L"Select the servers to refresh first");
        return;
    }
    side_->Refresh(ids);
    UpdateStatus();
}

void BrowserWindow::CancelRefresh() {
    masters_->Cancel();
    UpdateStatus();
    if (!Refreshing()) return;
    side_->Cancel();
    UpdateStatus();
}

void BrowserWindow::JoinSelected() {
    JoinServer(list_->FocusedId(), false);
}

void BrowserWindow::JoinServer(ServerId id, bool waitForSeat) {
    const ServerRow* row = table_.Find(id);
    if (!row) {
        status_->Say(waitForSeat ? L"Select the full server to wait for first"
                                 : L"Select the server to join first");
        return;
    }
    if (!side_) {
        Log(L"Cannot join: Tribes.vtplugin could not be loaded (see above)");
        return;
    }
    const std::string address = row->address.Text();
    JoinSettings join = settings_.join;
    std::map<int, std::wstring> values = settings_.optionValues[address];
    SeatWatchAsk ask{settings_.seatWatchSeconds, settings_.seatWatchGiveUpMinutes};
    if (!AskJoin(window_.get(), *row, join, values, waitForSeat ? &ask : nullptr)) return;
    settings_.join = join;
    settings_.optionValues[address] = values;
    settings_.seatWatchSeconds = ask.everySeconds;
    settings_.seatWatchGiveUpMinutes = ask.giveUpMinutes;
    Save();
    if (waitForSeat) {
        seats_->Start(id, SeatWatchPlan{std::chrono::seconds(ask.everySeconds),
                                        std::chrono::minutes(ask.giveUpMinutes)});
    } else {
        side_->Join(id, JoinRequest{join, values});
    }
}

void BrowserWindow::QuickJoin(const ServerAddress& server) {
    AddServers({server});
    const ServerRow* row = table_.Find(server);
    if (row && side_) quick_->Await(row->id);
}

void BrowserWindow::OnSideEvents() {
    if (!side_) return;
    const auto now = std::chrono::steady_clock::now();
    if (Refreshing() && now - lastEvents_ < ResultsEvery) {
        SetTimer(window_.get(), EventsTimer, static_cast<UINT>(ResultsEvery.count()), nullptr);
        return;
    }
    KillTimer(window_.get(), EventsTimer);
    lastEvents_ = now;
    bool rowsChanged = false;
    bool checked = false;
    ServerId joinNow = 0;
    for (SideEvent& event : side_->TakeEvents()) {
        switch (event.kind) {
            case SideEvent::Kind::Offered:
                table_.Offered(event.server, std::move(event.offered));
                break;
            case SideEvent::Kind::Result:
                rowsChanged |= table_.Answered(event.server, std::move(event.snapshot), false) != nullptr;
                break;
            case SideEvent::Kind::Checked:
                // A server pinged alone: a seat watch's look, a quick connect's.
                if (event.done == 1 && table_.Answered(event.server, std::move(event.snapshot), true)) {
                    rowsChanged = checked = true;
                } else {
                    seats_->CheckFailed(event.server);
                }
                if (quick_->Arrived(event.server)) joinNow = event.server;
                break;
            case SideEvent::Kind::Progress:
                break;
            case SideEvent::Kind::RefreshEnded:
                Log(event.text);
                find_->Update();
                friends_->Tell();
                filters_->OfferChoices(table_);
                break;
            case SideEvent::Kind::Log:
                Log(event.text);
                break;
        }
    }
    if (checked) friends_->Tell();
    if (rowsChanged) {
        list_->Update();
        ShowDetails();
    }
    masters_->RefreshListed();
    UpdateStatus();
    if (joinNow) JoinServer(joinNow, false);
}

void BrowserWindow::OnHandedBack(WPARAM record, LPARAM server) {
    // The plugin hands back its record of the server (a VtPluginServerStruct) and the value we
    // gave it, the server's id.
    const auto* handed = reinterpret_cast<const VtPluginServerStruct*>(record);
    const std::wstring handle = handed ? WideFromUtf8(handed->handle.toCharString()) : L"(nothing)";
    const ServerRow* row = table_.Find(static_cast<ServerId>(server));
    const std::wstring name =
        row && !row->last.status.serverName.empty() ? L" (" + row->last.status.serverName + L")" : L"";
    const std::wstring text = L"Passed back by the plugin: " + handle + name;
    ShowText(handedBack_, text);
    Log(text);
    if (row) SelectServer(row->id);
}

void BrowserWindow::OnTimer(UINT_PTR timer) {
    if (timer == EventsTimer) {
        lastEvents_ = {};
        OnSideEvents();
        return;
    }
    if (timer == AutoTimer) {
        if (!Refreshing() && !table_.Empty()) RefreshAll();
        return;
    }
    // Errors the plugin reports through VtError go to the log; none of them stops a refresh.
    const std::vector<ErrorReport> reports = VtErrorReports();
    for (size_t i = errorsSeen_; i < reports.size(); ++i) Log(reports[i].title + L": " + reports[i].text);
    errorsSeen_ = std::max(errorsSeen_, reports.size());
}

void BrowserWindow::ApplyAutoRefresh() {
    const std::wstring typed = WindowText(GetDlgItem(window_.get(), IDC_AUTO_SECONDS));
    const long seconds = typed.empty() ? 0 : std::wcstol(typed.c_str(), nullptr, 10);
    if (AutoRefreshSetting.Allows(seconds)) {
        settings_.autoRefreshSeconds = static_cast<int>(seconds);
    } else {
        Log(L"Automatic refresh: the period is from " + AutoRefreshSetting.Range() + L" seconds; kept " +
            std::to_wstring(settings_.autoRefreshSeconds) + L" s");
        SetDlgItemTextW(window_.get(), IDC_AUTO_SECONDS,
                        std::to_wstring(settings_.autoRefreshSeconds).c_str());
    }
    settings_.autoRefresh = IsChecked(GetDlgItem(window_.get(), IDC_AUTO));
    KillTimer(window_.get(), AutoTimer);
    if (settings_.autoRefresh) {
        SetTimer(window_.get(), AutoTimer, static_cast<UINT>(settings_.autoRefreshSeconds) * 1000, nullptr);
    }
    UpdateStatus();
    Save();
}

void BrowserWindow::UpdateStatus() {
    static const RefreshTally noPlugin;  // nothing ever refreshes
    const RefreshTally& tally = side_ ? side_->Tally() : noPlugin;
    const MasterTally& fetching = masters_->Tally();
    status_->Show(
        tally,
        ListCounts(table_.Size(), list_->Shown(), settings_.autoRefresh ? settings_.autoRefreshSeconds : 0),
        fetching.Running() ? fetching.Activity() : L"");
    HWND window = window_.get();
    ShowEnabled(GetDlgItem(window, IDCANCEL),
                (tally.Running() && !tally.Cancelling()) || (fetching.Running() && !fetching.Cancelling()));
    ShowEnabled(GetDlgItem(window, IDC_GET_MASTERS), !fetching.Running());
    ShowEnabled(GetDlgItem(window, IDC_REFRESH), side_ && !tally.Running());
    ShowEnabled(GetDlgItem(window, IDC_REFRESH_SELECTED), side_ && !tally.Running());
}

void BrowserWindow::Log(const std::wstring& text) {
    log_->Add(text);
}

void BrowserWindow::Save() {
    // Filling the controls at start sends their change notifications: nothing to save before the
    // servers of the file are listed again.
    if (!started_) return;
    table_.StoreOrigins(settings_.servers, settings_.listed);
    settings_.favourites = table_.FavouriteAddresses();
    settings_.friends = friends_->Friends();
    std::string error;
    if (!SaveSettingsFile(start_.settingsPath, settings_, error))
        Log(L"Settings not saved: " + WideFromUtf8(error));
}

void BrowserWindow::ListRestored(const AddedRows& added, const std::wstring& which) {
    if (added.empty()) return;
    Log(L"Listed " + Plural(added.size(), L"server", L"servers") + which);
    UpdateList();
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
