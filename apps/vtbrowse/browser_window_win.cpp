// The main window: its parts made, placed where browser_layout says, and connected.
#include "apps/vtbrowse/browser_window_win.h"

#include "apps/shared/host_paths_win.h"
#include "apps/vtbrowse/about_box_win.h"
#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/browser_layout.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/display_scale_win.h"
#include "apps/vtbrowse/player_search.h"
#include "apps/vtbrowse/settings_as_it_was.h"
#include "apps/vtbrowse/window_object_win.h"
#include "host/text/utf8_text.h"

namespace {

constexpr const wchar_t* MainClass = L"VtbrowseMain";
// A first start's size, and the least a saved one may be, in 96-DPI units.
constexpr ClientSize FirstSize{980, 640};
constexpr ClientSize LeastSaved{400, 300};

void Move(HWND control, const PartArea& area) {
    MoveWindow(control, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

BOOL CALLBACK SetFontOf(HWND control, LPARAM font) {
    SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

}  // namespace

BrowserWindow::BrowserWindow(BrowserStart start) : start_(std::move(start)) {
    const std::vector<std::wstring> said =
        LoadSettingsKeepingUnread(start_.settingsPath, settings_, start_.options.problems);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    mainClass_ = RegisterObjectClass<BrowserWindow>(MainClass, LoadIconW(nullptr, IDI_APPLICATION));
    chartClass_ = CountChart::RegisterClass();
    accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    // The place is the screen's, in pixels; the size is in 96-DPI units, made the window's own
    // once it is known on which display the window stands (it is not shown yet).
    const WindowPlace& place = settings_.window;
    const bool placed = place.width >= LeastSaved.width && place.height >= LeastSaved.height;
    const ClientSize size = placed ? ClientSize{place.width, place.height} : FirstSize;
    const int guess = WindowDpi(nullptr);
    CreateWindowExW(WS_EX_CONTROLPARENT, MainClass, L"vtbrowse - Tribes servers", WS_OVERLAPPEDWINDOW,
                    placed ? place.x : CW_USEDEFAULT, placed ? place.y : CW_USEDEFAULT,
                    Scaled(size.width, guess), Scaled(size.height, guess), nullptr, nullptr,
                    GetModuleHandleW(nullptr), this);
    if (!window_) return;
    if (dpi_ != guess)
        SetWindowPos(window_.get(), nullptr, 0, 0, Scaled(size.width, dpi_), Scaled(size.height, dpi_),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    hostWindow_.window = window_.get();
    AddAboutItem(window_.get());
    find_ = std::make_unique<FindPlayerWindow>(
        window_.get(), [this](const std::wstring& text) { return FindPlayers(table_, text); },
        [this](ServerId id) { SelectServer(id); });
    ShowWindow(window_.get(), start_.show);
    UpdateWindow(window_.get());

    for (const std::wstring& line : said) log_->Add(line);
    plugin_->Load(start_.pluginPath, start_.options.mostSessions, settings_.timeoutSeconds);
    if (servers_->Adding().AddAtStart(settings_, start_.options.servers)) UpdateList();
    started_ = true;
    TakeCommandLine(start_.options);
    if (settings_.mastersAtStart) masters_->Fetch();
    UpdateStatus();
}

BrowserWindow::~BrowserWindow() {
    // Nothing handed over is taken while the rest goes.
    receipt_.reset();
    plugin_.reset();
    find_.reset();
    window_.reset();
}

// The parts are made in the order a reader meets them, pane by pane from the top left: the order
// of the windows is the order Tab walks.
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
                                                                          plugin_->Refresh(table_.Ids());
                                                                  },
                                                                  log});
    filters_ = std::make_unique<FilterPane>(window, settings_.filter, [this] {
        settings_.filter = filters_->Filter();
        UpdateList();
        Save();
    });
    quick_ = std::make_unique<QuickConnect>(
        window, IDC_QUICK_CONNECT,
        QuickConnect::Handlers{[this](const ServerAddress& server) { servers_->QuickJoin(server); },
                               checkAlone, [this](ServerId id) { SelectServer(id); }, log});
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    CreateControl(window, L"Button", L"Get from mas&ters", button, IDC_GET_MASTERS);
    CreateControl(window, L"Button", L"&Masters...", button, IDC_MASTERS);
    list_ = std::make_unique<ServerListView>(
        window, table_, settings_.order, settings_.columnWidths,
        ServerListView::Handlers{[this] { Save(); }, [this] { ShowDetails(); },
                                 [this] { servers_->OnCommand(IDC_REMOVE); },
                                 [this] { joining_->Join(list_->FocusedId(), false); },
                                 [this](ServerId id) {
                                     if (Side()) Side()->OpenPluginMenu(id);
                                 },
                                 [this](int id) { OnCommand(id); }});
    seats_ = std::make_unique<SeatWatchBar>(
        window, IDC_SEAT_WATCH, table_,
        SeatWatchBar::Handlers{checkAlone, [this](ServerId id) { joining_->Launch(id); }, log});
    handedBack_ = std::make_unique<HandedBackLine>(window);
    details_ = std::make_unique<DetailPane>(window);
    log_ = std::make_unique<LogPane>(window);
    joining_ = std::make_unique<Joining>(
        window, table_, settings_, *plugin_, *seats_, *quick_,
        Joining::Handlers{[this](const wchar_t* hint) { status_->Say(hint); }, log, [this] { Save(); }});
    servers_ = std::make_unique<ServerCommands>(
        window, table_, *list_, *plugin_, *quick_, hostWindow_,
        ServerCommands::Handlers{log, [this] { UpdateList(); }, [this] { find_->Update(); },
                                 [this] { Save(); }});
    friends_ = std::make_unique<FriendsPane>(
        window, IDC_FRIENDS, table_, settings_.friends,
        FriendsPane::Handlers{log, [this] { Save(); }, [this](ServerId id) { SelectServer(id); },
                              start_.notified});
    MastersPane::Handlers fetched{log,
                                  [this](const wchar_t* hint) { status_->Say(hint); },
                                  [this] { UpdateStatus(); },
                                  [this] {
                                      UpdateList();
                                      find_->Update();
                                  },
                                  [this] { Save(); },
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
    receipt_ = std::make_unique<HandoverReceipt>(
        window, [this](const std::vector<std::string>& arguments) { TakeHandedOver(arguments); });
}

void BrowserWindow::TakeCommandLine(const BrowseOptions& options) {
    for (const std::string& file : options.serverFiles) servers_->Import(FullHostPath(file));
    if (const std::optional<ServerAddress>& chosen = options.select) {
        if (const ServerRow* row = table_.Find(*chosen)) SelectServer(row->id);
    }
    Save();
    // A later start's servers, handed over while a refresh runs, are refreshed once it ended.
    refreshAfter_ = !table_.Empty() && Refreshing();
    if (!table_.Empty() && !refreshAfter_) plugin_->Refresh(table_.Ids());
    if (options.join) servers_->QuickJoin(*options.join);
}

void BrowserWindow::TakeHandedOver(const std::vector<std::string>& arguments) {
    const BrowseOptions options = ParseBrowseOptions(arguments);
    log_->Add(L"vtbrowse was started again: its command line is taken here");
    for (const std::string& problem : options.problems) log_->Add(WideFromUtf8(problem));
    if (!options.pluginPath.empty() || options.mostSessions != 0)
        log_->Add(L"--plugin and --most-sessions are taken when vtbrowse starts: this window keeps its own");
    servers_->Add(options.servers);
    TakeCommandLine(options);
}

void BrowserWindow::Layout() {
    RECT client;
    GetClientRect(window_.get(), &client);
    const PartAreas at = LayOutParts(client.right, client.bottom, status_->Height(), dpi_);
    const std::pair<Pane*, PartArea> panes[] = {
        {status_.get(), at.status},         {commands_.get(), at.commands}, {quick_.get(), at.quick},
        {filters_.get(), at.filters},       {list_.get(), at.list},         {seats_.get(), at.seats},
        {handedBack_.get(), at.handedBack}, {details_.get(), at.details},   {log_.get(), at.log},
        {friends_.get(), at.friends}};
    for (const auto& [pane, area] : panes) pane->Place(RECT{area.left, area.top, area.right, area.bottom});
    Move(GetDlgItem(window_.get(), IDC_GET_MASTERS), at.getMasters);
    Move(GetDlgItem(window_.get(), IDC_MASTERS), at.masters);
}

LRESULT BrowserWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FollowWindow(window_, window, message);
    if (message == WM_CREATE) {
        dpi_ = WindowDpi(window);
        font_ = MessageFont(dpi_);
        CreateParts();
        return 0;
    }
    // The parts' controls are made in it.
    if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(font_.get());
    // Its parts' windows are gone with it: they must not be asked to touch them.
    if (message == WM_NCDESTROY) status_.reset();
    // Until its parts exist the window is only a frame.
    if (!status_) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_GETMINMAXINFO: {
            // The frame as it stands: its parts are the system's, at the system's scale or the
            // display's.
            const ClientSize least = SmallestClient(status_->Height(), dpi_);
            RECT outer{}, inner{};
            GetWindowRect(window, &outer);
            GetClientRect(window, &inner);
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize =
                POINT{least.width + (outer.right - outer.left) - inner.right,
                      least.height + (outer.bottom - outer.top) - inner.bottom};
            return 0;
        }
        case WM_DPICHANGED:
            Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_NEXTDLGCTL:
            // The dialog keys ask for it when a label's access key is pressed: the label first,
            // then the control after it.
            if (LOWORD(lParam)) {
                SetFocus(reinterpret_cast<HWND>(wParam));
            } else if (HWND next = GetNextDlgTabItem(window, GetFocus(), wParam != 0)) {
                SetFocus(next);
                if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                    SendMessageW(next, EM_SETSEL, 0, -1);
            }
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
        case WM_COPYDATA:
            // Its parts going (the receipt first) take nothing more.
            return receipt_ && lParam ? receipt_->Receive(*reinterpret_cast<const COPYDATASTRUCT*>(lParam))
                                      : FALSE;
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

void BrowserWindow::Rescale(int dpi, const RECT& suggested) {
    HWND window = window_.get();
    // Drawn once, when everything has its new size: no flicker.
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    dpi_ = dpi;
    owners::unique_gdi_object font = MessageFont(dpi);
    EnumChildWindows(window, SetFontOf, reinterpret_cast<LPARAM>(font.get()));
    std::swap(font_, font);  // the old one goes once no control holds it
    for (Pane* pane : {static_cast<Pane*>(commands_.get()), static_cast<Pane*>(filters_.get()),
                       static_cast<Pane*>(quick_.get()), static_cast<Pane*>(list_.get()),
                       static_cast<Pane*>(seats_.get()), static_cast<Pane*>(handedBack_.get()),
                       static_cast<Pane*>(details_.get()), static_cast<Pane*>(log_.get()),
                       static_cast<Pane*>(friends_.get()), static_cast<Pane*>(status_.get())})
        pane->SetDpi(dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

bool BrowserWindow::PreTranslate(MSG& message) {
    if (find_ && find_->PreTranslate(message)) return true;
    if (!window_) return false;
    if (accelerators_ && TranslateAcceleratorW(window_.get(), accelerators_, &message)) return true;
    return IsDialogMessageW(window_.get(), &message) != FALSE;
}

void BrowserWindow::OnCommand(int id) {
    if (servers_->OnCommand(id)) return;
    switch (id) {
        case IDC_REFRESH:
            return plugin_->Refresh(table_.Ids());
        case IDCANCEL:
            masters_->Cancel();
            plugin_->Cancel();
            return UpdateStatus();
        case IDOK:
            // Enter: the pane with the keyboard takes it (the list joins the server in focus).
            if (!list_->OnEnter(GetFocus()) && !quick_->OnEnter(GetFocus())) friends_->OnEnter(GetFocus());
            return;
        case IDC_JOIN:
        case IDC_WATCH_SEAT:
            return joining_->Join(list_->FocusedId(), id == IDC_WATCH_SEAT);
        case IDC_FIND:
            return find_->Open();
        case IDC_GET_MASTERS:
            return masters_->Fetch();
        case IDC_MASTERS:
            return masters_->Edit();
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
    list_->Show(settings_.filter);
    ShowDetails();
    UpdateStatus();
}

void BrowserWindow::Taken(const SideBatch& batch) {
    const ServerId joinNow = joining_->ChecksEnded(batch.checks);
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
    if (refreshAfter_ && !Refreshing()) {
        refreshAfter_ = false;
        plugin_->Refresh(table_.Ids());
    }
    UpdateStatus();
    if (joinNow) joining_->Join(joinNow, false);
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
    settings_.order = list_->Order();
    settings_.columnWidths = list_->ColumnWidths();
    servers_->Adding().Keep(settings_);
    settings_.friends = friends_->Friends();
    std::string error;
    if (!SaveSettingsFile(start_.settingsPath, settings_, error))
        log_->Add(L"Settings not saved: " + WideFromUtf8(error));
}

void BrowserWindow::OnClose() {
    receipt_->Close();
    if (std::optional<WindowPlace> place = NormalPlace(window_.get())) {
        place->width = Unscaled(place->width, dpi_);
        place->height = Unscaled(place->height, dpi_);
        settings_.window = *place;
    }
    Save();
    ShowWindow(window_.get(), SW_HIDE);
    if (start_.quitOnClose) PostQuitMessage(0);
}
