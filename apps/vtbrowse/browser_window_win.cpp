#include "apps/vtbrowse/browser_window_win.h"

#include <commdlg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "apps/shared/host_paths_win.h"
#include "apps/shared/utf8_text.h"
#include "apps/vtbrowse/about_box_win.h"
#include "apps/vtbrowse/add_servers_dialog_win.h"
#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/count_chart_win.h"
#include "apps/vtbrowse/detail_pages.h"
#include "apps/vtbrowse/join_dialog_win.h"
#include "apps/vtbrowse/player_search.h"

namespace {

constexpr const wchar_t* kMainClass = L"VtbrowseMain";
constexpr UINT kSideMessage = WM_APP + 1;
constexpr UINT_PTR kAutoTimer = 1;
constexpr UINT_PTR kErrorTimer = 2;
constexpr UINT_PTR kEventsTimer = 3;
// While a refresh runs the window takes in results at most this often: redrawing the list for
// every answer would keep a processor and the Wine server busy that the pings need.
constexpr auto kResultsEvery = std::chrono::milliseconds(200);
constexpr UINT kErrorPollMs = 250;
constexpr int kMostLogLines = 2000;

std::wstring Seconds(double seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.2f s", seconds);
    return text;
}

std::wstring Clock() {
    const std::time_t now = std::time(nullptr);
    wchar_t text[16] = L"";
    if (const std::tm* local = std::localtime(&now)) std::wcsftime(text, 16, L"%H:%M:%S", local);
    return text;
}

std::wstring Plural(size_t count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

}  // namespace

BrowserWindow::BrowserWindow(BrowserStart start) : start_(std::move(start)) {
    std::vector<std::string> problems = start_.options.problems;
    for (std::string& problem : LoadSettingsFile(start_.settingsPath, settings_))
        problems.push_back(std::move(problem));

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = kMainClass;
    mainClass_ = owners::unique_window_class::Register(windowClass);
    chartClass_ = CountChart::RegisterClass();
    accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));

    const WindowPlace& place = settings_.window;
    const bool placed = place.width >= 400 && place.height >= 300;
    CreateWindowExW(WS_EX_CONTROLPARENT, kMainClass, L"vtbrowse - Tribes servers", WS_OVERLAPPEDWINDOW,
                    placed ? place.x : CW_USEDEFAULT, placed ? place.y : CW_USEDEFAULT,
                    placed ? place.width : 980, placed ? place.height : 620, nullptr, nullptr,
                    GetModuleHandleW(nullptr), this);
    if (!window_) return;
    hostWindow_.window = window_.get();
    AddAboutItem(window_.get());

    SetDlgItemTextW(window_.get(), IDC_AUTO_SECONDS, std::to_wstring(settings_.autoRefreshSeconds).c_str());
    SetChecked(GetDlgItem(window_.get(), IDC_AUTO), settings_.autoRefresh);
    SetDlgItemTextW(window_.get(), IDC_FILTER_TEXT, settings_.filter.text.c_str());
    SetChecked(GetDlgItem(window_.get(), IDC_HIDE_EMPTY), settings_.filter.hideEmpty);
    SetChecked(GetDlgItem(window_.get(), IDC_HIDE_FULL), settings_.filter.hideFull);
    SetChecked(GetDlgItem(window_.get(), IDC_HIDE_SILENT), settings_.filter.hideSilent);
    find_ = std::make_unique<FindPlayerWindow>(
        window_.get(), [this](const std::wstring& text) { return FindPlayers(rows_, text); },
        [this](ServerId id) { SelectServer(id); });
    ShowWindow(window_.get(), start_.show);
    UpdateWindow(window_.get());

    for (const std::string& problem : problems) Log(WideFromUtf8(problem));
    try {
        side_ = std::make_unique<PluginSide>(start_.pluginPath, start_.options.mostSessions, window_.get(),
                                             kSideMessage);
    } catch (const std::exception& error) {
        Log(L"The plugin could not be loaded, so nothing can be refreshed or joined: " +
            WideFromUtf8(error.what()));
    }
    std::vector<ServerAddress> servers = std::exchange(settings_.servers, {});
    servers.insert(servers.end(), start_.options.servers.begin(), start_.options.servers.end());
    AddServers(servers);
    for (const std::string& file : start_.options.serverFiles) ImportFile(FullHostPath(file));
    if (const std::optional<ServerAddress>& chosen = start_.options.select) {
        for (const ServerRow& row : rows_) {
            if (row.address == *chosen) SelectServer(row.id);
        }
    }
    SetTimer(window_.get(), kErrorTimer, kErrorPollMs, nullptr);
    ApplyAutoRefresh();
    UpdateSortArrows();
    started_ = true;
    Save();
    if (!rows_.empty()) {
        std::vector<ServerId> all;
        for (const ServerRow& row : rows_) all.push_back(row.id);
        Refresh(all);
    }
    UpdateStatus();
}

BrowserWindow::~BrowserWindow() {
    side_.reset();
    find_.reset();
    window_.reset();
}

LRESULT CALLBACK BrowserWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<BrowserWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
    }
    auto* self = reinterpret_cast<BrowserWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_.release();
        self->servers_ = self->status_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_CREATE) {
        self->CreateControls();
        return 0;
    }
    // Until its controls exist the window is only a frame.
    if (!self->status_) return DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT BrowserWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == servers_) {
                OnContextMenu(lParam);
                return 0;
            }
            break;
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
        case kSideMessage:
            OnSideEvents();
            return 0;
        case CMD_FORWARD:
            OnHandedBack(wParam, lParam);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_.get(), message, wParam, lParam);
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
        case IDC_IMPORT: {
            wchar_t path[MAX_PATH * 4] = L"";
            OPENFILENAMEW choice{};
            choice.lStructSize = sizeof choice;
            choice.hwndOwner = window_.get();
            choice.lpstrFilter = L"Server lists (*.txt)\0*.txt\0All files\0*.*\0";
            choice.lpstrFile = path;
            choice.nMaxFile = MAX_PATH * 4;
            choice.lpstrTitle = L"Import a server list: one ADDRESS:PORT a line";
            choice.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
            if (GetOpenFileNameW(&choice)) ImportFile(path);
            break;
        }
        case IDC_REFRESH: {
            std::vector<ServerId> all;
            for (const ServerRow& row : rows_) all.push_back(row.id);
            Refresh(all);
            break;
        }
        case IDC_REFRESH_SELECTED:
            Refresh(SelectedIds());
            break;
        case IDCANCEL:
            CancelRefresh();
            break;
        case IDOK:
            // Enter: joins the server in focus when the list has the keyboard.
            if (GetFocus() == servers_) JoinSelected();
            break;
        case IDC_JOIN:
            JoinSelected();
            break;
        case IDC_FIND:
            OpenFind();
            break;
        case IDC_AUTO:
            if (code == BN_CLICKED) ApplyAutoRefresh();
            break;
        case IDC_AUTO_SECONDS:
            if (code == EN_KILLFOCUS) ApplyAutoRefresh();
            break;
        case IDC_FILTER_TEXT:
            if (code != EN_CHANGE) break;
            settings_.filter.text = WindowText(GetDlgItem(window_.get(), IDC_FILTER_TEXT));
            UpdateList();
            Save();
            break;
        case IDC_HIDE_EMPTY:
        case IDC_HIDE_FULL:
        case IDC_HIDE_SILENT:
            settings_.filter.hideEmpty = IsChecked(GetDlgItem(window_.get(), IDC_HIDE_EMPTY));
            settings_.filter.hideFull = IsChecked(GetDlgItem(window_.get(), IDC_HIDE_FULL));
            settings_.filter.hideSilent = IsChecked(GetDlgItem(window_.get(), IDC_HIDE_SILENT));
            UpdateList();
            Save();
            break;
        case IDC_HAND_BACK:
            if (side_ && FocusedId()) side_->HandBack(FocusedId(), hostWindow_);
            break;
        default:
            break;
    }
}

LRESULT BrowserWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == servers_) {
        switch (header.code) {
            case LVN_GETDISPINFOW: {
                auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
                const size_t index = static_cast<size_t>(info.item.iItem);
                if ((info.item.mask & LVIF_TEXT) && index < visible_.size() && info.item.cchTextMax > 0) {
                    const ServerRow* row = Find(visible_[index]);
                    const std::wstring text =
                        row ? CellText(*row, static_cast<RowColumn>(info.item.iSubItem)) : std::wstring();
                    const size_t copied =
                        text.copy(info.item.pszText, static_cast<size_t>(info.item.cchTextMax) - 1);
                    info.item.pszText[copied] = L'\0';
                }
                return 0;
            }
            case LVN_GETINFOTIPW: {
                auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
                const size_t index = static_cast<size_t>(tip.iItem);
                const ServerRow* row = index < visible_.size() ? Find(visible_[index]) : nullptr;
                if (row && row->refreshed && tip.cchTextMax > 0) {
                    const size_t copied = row->last.status.statusDetail.copy(
                        tip.pszText, static_cast<size_t>(tip.cchTextMax) - 1);
                    tip.pszText[copied] = L'\0';
                }
                return 0;
            }
            case LVN_COLUMNCLICK: {
                const auto column =
                    static_cast<RowColumn>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
                settings_.order.descending = settings_.order.column == column && !settings_.order.descending;
                settings_.order.column = column;
                UpdateSortArrows();
                UpdateList();
                Save();
                return 0;
            }
            case LVN_ITEMCHANGED:
                if (!restoringSelection_) ShowDetails();
                return 0;
            case LVN_KEYDOWN:
                if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) RemoveSelected();
                return 0;
            case NM_DBLCLK:
            case NM_RETURN:
                JoinSelected();
                return 0;
            default:
                return 0;
        }
    }
    if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) {
        FillDetailPage();
        return 0;
    }
    return 0;
}

ServerRow* BrowserWindow::Find(ServerId id) {
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [id](const ServerRow& row) { return row.id == id; });
    return found == rows_.end() ? nullptr : &*found;
}

std::vector<ServerId> BrowserWindow::SelectedIds() const {
    std::vector<ServerId> ids;
    int index = -1;
    for (size_t guard = 0; guard <= visible_.size(); ++guard) {
        index = static_cast<int>(
            SendMessageW(servers_, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED));
        if (index < 0 || static_cast<size_t>(index) >= visible_.size()) break;
        ids.push_back(visible_[static_cast<size_t>(index)]);
    }
    return ids;
}

ServerId BrowserWindow::FocusedId() const {
    int index =
        static_cast<int>(SendMessageW(servers_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const bool focusedSelected = index >= 0 && (SendMessageW(servers_, LVM_GETITEMSTATE,
                                                             static_cast<WPARAM>(index), LVIS_SELECTED) != 0);
    if (!focusedSelected) {
        index =
            static_cast<int>(SendMessageW(servers_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    return index >= 0 && static_cast<size_t>(index) < visible_.size() ? visible_[static_cast<size_t>(index)]
                                                                      : 0;
}

void BrowserWindow::SelectServer(ServerId id) {
    const auto found = std::find(visible_.begin(), visible_.end(), id);
    if (found == visible_.end()) return;
    const int index = static_cast<int>(found - visible_.begin());
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(servers_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    LVITEMW select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(servers_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&select));
    SendMessageW(servers_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
    ShowDetails();
}

void BrowserWindow::UpdateList() {
    const std::vector<ServerId> selected = SelectedIds();
    const ServerId focused = FocusedId();
    visible_ = VisibleRows(rows_, settings_.filter, settings_.order);
    restoringSelection_ = true;
    SendMessageW(servers_, LVM_SETITEMCOUNT, visible_.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(servers_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    for (size_t index = 0; index < visible_.size(); ++index) {
        const bool isSelected =
            std::find(selected.begin(), selected.end(), visible_[index]) != selected.end();
        if (!isSelected) continue;
        LVITEMW select{};
        select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        select.state = LVIS_SELECTED | (visible_[index] == focused ? LVIS_FOCUSED : 0);
        SendMessageW(servers_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&select));
    }
    restoringSelection_ = false;
    InvalidateRect(servers_, nullptr, FALSE);
    ShowDetails();
    UpdateStatus();
}

void BrowserWindow::UpdateSortArrows() {
    HWND header = reinterpret_cast<HWND>(SendMessageW(servers_, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < kRowColumnCount; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == static_cast<int>(settings_.order.column)) {
            item.fmt |= settings_.order.descending ? HDF_SORTDOWN : HDF_SORTUP;
        }
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

void BrowserWindow::ShowDetails() {
    const ServerId id = FocusedId();
    const ServerRow* row = Find(id);
    shownServer_ = id;
    const std::vector<DetailPage> pages = row ? DetailPages(row->last.tables) : std::vector<DetailPage>{};
    std::vector<std::wstring> titles;
    for (const DetailPage& page : pages) titles.push_back(page.title);
    if (titles != shownPages_) {
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
        shownPages_ = titles;
        // The page area below the tabs depends on whether there are any.
        Layout();
    }
    FillDetailPage();
    const std::wstring name = row ? (row->last.status.serverName.empty() ? CellText(*row, RowColumn::Address)
                                                                         : row->last.status.serverName)
                                  : L"";
    SetWindowTextW(chartTitle_, row ? (L"Players of " + name + L" over this run's refreshes").c_str()
                                    : L"Players over this run's refreshes: select a server");
    CountChart::Show(chart_, row ? row->history : std::vector<CountPoint>{},
                     row ? row->last.status.maxPlayers : 0);
}

void BrowserWindow::FillDetailPage() {
    const ServerRow* row = Find(shownServer_);
    const std::vector<DetailPage> pages = row ? DetailPages(row->last.tables) : std::vector<DetailPage>{};
    const int index = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
    SendMessageW(detail_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(detail_, LVM_DELETEALLITEMS, 0, 0);
    RemoveListColumns(detail_);
    if (index >= 0 && static_cast<size_t>(index) < pages.size()) {
        const DetailPage& page = pages[static_cast<size_t>(index)];
        for (const DetailColumn& column : page.columns) AddListColumn(detail_, column.heading, column.width);
        for (size_t r = 0; r < page.rows.size(); ++r) {
            std::vector<std::wstring> cells = page.rows[r];
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(r);
            item.pszText = cells.empty() ? const_cast<wchar_t*>(L"") : cells[0].data();
            SendMessageW(detail_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            for (size_t c = 1; c < cells.size(); ++c) {
                LVITEMW cell{};
                cell.iSubItem = static_cast<int>(c);
                cell.pszText = cells[c].data();
                SendMessageW(detail_, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&cell));
            }
        }
    }
    SendMessageW(detail_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(detail_, nullptr, TRUE);
}

void BrowserWindow::AddServers(const std::vector<ServerAddress>& servers) {
    std::vector<std::pair<ServerId, ServerAddress>> added;
    for (const ServerAddress& server : servers) {
        const bool listed = std::any_of(rows_.begin(), rows_.end(),
                                        [&](const ServerRow& row) { return row.address == server; });
        if (listed) continue;
        ServerRow row;
        row.id = nextId_++;
        row.address = server;
        rows_.push_back(std::move(row));
        added.emplace_back(rows_.back().id, server);
    }
    if (added.empty()) return;
    if (side_) side_->Add(added, settings_.timeoutSeconds);
    Log(L"Added " + Plural(added.size(), L"server", L"servers") +
        (refreshing_ ? L"; the plugin gets them once the running refresh ends" : L""));
    UpdateList();
    Save();
}

void BrowserWindow::ImportFile(const std::wstring& path) {
    std::vector<ServerAddress> servers;
    ServerListError error;
    if (!ReadServerListFile(Utf8FromWide(path), servers, error)) {
        Log(L"Nothing imported: " + WideFromUtf8(error.message));
        return;
    }
    Log(L"Read " + Plural(servers.size(), L"server", L"servers") + L" from " + path);
    AddServers(WithoutDuplicates(servers));
}

void BrowserWindow::RemoveSelected() {
    const std::vector<ServerId> ids = SelectedIds();
    if (ids.empty()) return;
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(),
                               [&](const ServerRow& row) {
                                   return std::find(ids.begin(), ids.end(), row.id) != ids.end();
                               }),
                rows_.end());
    if (side_) side_->Remove(ids);
    Log(L"Removed " + Plural(ids.size(), L"server", L"servers") +
        (refreshing_ ? L"; their sessions go once the running refresh ends" : L""));
    UpdateList();
    if (find_) find_->Update();
    Save();
}

void BrowserWindow::Refresh(std::vector<ServerId> ids) {
    if (!side_) {
        Log(L"Nothing to refresh with: the plugin is not loaded");
        return;
    }
    if (refreshing_) {
        Log(L"A refresh is running: wait for it, or cancel it (Esc)");
        return;
    }
    if (ids.empty()) {
        SendMessageW(status_, SB_SETTEXTW, 0,
                     reinterpret_cast<LPARAM>(rows_.empty() ? L"Add servers first (Add..., Import...)"
                                                            : L"Select the servers to refresh first"));
        return;
    }
    refreshing_ = true;
    cancelling_ = false;
    progressDone_ = answered_ = timedOut_ = failed_ = 0;
    progressTotal_ = ids.size();
    side_->Refresh(ids);
    UpdateStatus();
}

void BrowserWindow::CancelRefresh() {
    if (!refreshing_ || !side_) return;
    side_->Cancel();
    cancelling_ = true;
    UpdateStatus();
}

void BrowserWindow::JoinSelected() {
    ServerRow* row = Find(FocusedId());
    if (!row) {
        SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"Select the server to join first"));
        return;
    }
    if (!side_) {
        Log(L"Cannot join: the plugin is not loaded");
        return;
    }
    JoinSettings join = settings_.join;
    std::map<int, std::wstring> values = settings_.optionValues[row->address.Text()];
    const ServerId id = row->id;
    if (!AskJoin(window_.get(), *row, join, values)) return;
    settings_.join = join;
    settings_.optionValues[row->address.Text()] = values;
    Save();
    side_->Join(id, JoinRequest{join, values});
}

void BrowserWindow::OpenFind() {
    if (!find_) return;
    find_->Update();
    find_->Open();
}

void BrowserWindow::OnSideEvents() {
    if (!side_) return;
    const auto now = std::chrono::steady_clock::now();
    if (refreshing_ && now - lastEvents_ < kResultsEvery) {
        SetTimer(window_.get(), kEventsTimer, static_cast<UINT>(kResultsEvery.count()), nullptr);
        return;
    }
    KillTimer(window_.get(), kEventsTimer);
    lastEvents_ = now;
    bool rowsChanged = false;
    for (SideEvent& event : side_->TakeEvents()) {
        switch (event.kind) {
            case SideEvent::Kind::Offered:
                if (ServerRow* row = Find(event.server)) row->offeredOptions = std::move(event.offered);
                break;
            case SideEvent::Kind::Result:
                if (ServerRow* row = Find(event.server)) {
                    ApplySnapshot(*row, std::move(event.snapshot));
                    ++(row->outcome == Outcome::Success   ? answered_
                       : row->outcome == Outcome::Timeout ? timedOut_
                                                          : failed_);
                    rowsChanged = true;
                }
                break;
            case SideEvent::Kind::Progress:
                progressDone_ = event.done;
                progressTotal_ = event.total;
                break;
            case SideEvent::Kind::RefreshEnded:
                refreshing_ = false;
                cancelling_ = false;
                lastTotals_ =
                    (event.cancelled ? L"Refresh cancelled: " : L"Refreshed ") + std::to_wstring(event.done) +
                    L" of " + Plural(event.total, L"server", L"servers") + L" in " + Seconds(event.seconds) +
                    L": " + std::to_wstring(answered_) + L" answered, " + std::to_wstring(timedOut_) +
                    L" timed out, " + std::to_wstring(failed_) + L" failed";
                Log(lastTotals_);
                if (find_) find_->Update();
                break;
            case SideEvent::Kind::Log:
                Log(event.text);
                break;
        }
    }
    if (rowsChanged) UpdateList();
    UpdateStatus();
}

void BrowserWindow::OnHandedBack(WPARAM record, LPARAM server) {
    // The plugin hands back its record of the server (a VtPluginServerStruct) and the value we
    // gave it, the server's id.
    const auto* handed = reinterpret_cast<const VtPluginServerStruct*>(record);
    const std::wstring handle = handed ? WideFromUtf8(handed->handle.toCharString()) : L"(nothing)";
    const ServerRow* row = Find(static_cast<ServerId>(server));
    const std::wstring name =
        row && !row->last.status.serverName.empty() ? L" (" + row->last.status.serverName + L")" : L"";
    const std::wstring text = L"Handed back by the plugin: " + handle + name;
    SetWindowTextW(handedBack_, text.c_str());
    Log(text);
    if (row) SelectServer(row->id);
}

void BrowserWindow::OnContextMenu(LPARAM where) {
    POINT point{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    if (where == -1) {
        // From the keyboard: below the item in focus.
        const int focused =
            static_cast<int>(SendMessageW(servers_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        RECT item{LVIR_BOUNDS, 0, 0, 0};
        if (focused < 0 || !SendMessageW(servers_, LVM_GETITEMRECT, static_cast<WPARAM>(focused),
                                         reinterpret_cast<LPARAM>(&item)))
            return;
        point = POINT{item.left + 20, item.bottom};
        ClientToScreen(servers_, &point);
    } else {
        LVHITTESTINFO hit{};
        hit.pt = point;
        ScreenToClient(servers_, &hit.pt);
        const int index =
            static_cast<int>(SendMessageW(servers_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (index < 0 || static_cast<size_t>(index) >= visible_.size()) return;
        const std::vector<ServerId> selected = SelectedIds();
        if (std::find(selected.begin(), selected.end(), visible_[static_cast<size_t>(index)]) ==
            selected.end())
            SelectServer(visible_[static_cast<size_t>(index)]);
    }
    const ServerId id = FocusedId();
    if (!id) return;
    // The plugin's own menu step for the server, with the host's menu object.
    if (side_) side_->OpenPluginMenu(id);
    owners::unique_menu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, IDC_REFRESH_SELECTED, L"Refresh");
    AppendMenuW(menu.get(), MF_STRING, IDC_JOIN, L"Join...\tEnter");
    AppendMenuW(menu.get(), MF_STRING, IDC_REMOVE, L"Remove\tDel");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDC_HAND_BACK, L"Hand this server to the plugin and back");
    const int chosen = static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x,
                                                       point.y, 0, window_.get(), nullptr));
    if (chosen) OnCommand(chosen, 0);
}

void BrowserWindow::OnTimer(UINT_PTR timer) {
    if (timer == kEventsTimer) {
        lastEvents_ = {};
        OnSideEvents();
        return;
    }
    if (timer == kAutoTimer) {
        if (!refreshing_ && !rows_.empty()) OnCommand(IDC_REFRESH, 0);
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
    if (seconds >= 5 && seconds <= 86400) {
        settings_.autoRefreshSeconds = static_cast<int>(seconds);
    } else {
        Log(L"Automatic refresh: the period is from 5 to 86400 seconds; kept " +
            std::to_wstring(settings_.autoRefreshSeconds) + L" s");
        SetDlgItemTextW(window_.get(), IDC_AUTO_SECONDS,
                        std::to_wstring(settings_.autoRefreshSeconds).c_str());
    }
    settings_.autoRefresh = IsChecked(GetDlgItem(window_.get(), IDC_AUTO));
    KillTimer(window_.get(), kAutoTimer);
    if (settings_.autoRefresh) {
        SetTimer(window_.get(), kAutoTimer, static_cast<UINT>(settings_.autoRefreshSeconds) * 1000, nullptr);
    }
    UpdateStatus();
    Save();
}

void BrowserWindow::UpdateStatus() {
    std::wstring activity;
    if (refreshing_ && cancelling_) {
        activity = L"Cancelling: no new ping starts; the " + std::to_wstring(progressDone_) + L" of " +
                   std::to_wstring(progressTotal_) +
                   L" done stay, running pings end within their budget + 1 s";
    } else if (refreshing_) {
        activity = L"Refreshing " + std::to_wstring(progressDone_) + L" of " +
                   std::to_wstring(progressTotal_) + L"... " + std::to_wstring(answered_) + L" answered, " +
                   std::to_wstring(timedOut_ + failed_) + L" no answer (Esc cancels)";
    } else {
        activity =
            lastTotals_.empty() ? L"Ready: F5 refreshes, Ctrl+F finds a player, Enter joins" : lastTotals_;
    }
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(activity.c_str()));
    std::wstring counts =
        Plural(rows_.size(), L"server", L"servers") + L", " + std::to_wstring(visible_.size()) + L" shown";
    if (settings_.autoRefresh) counts += L", every " + std::to_wstring(settings_.autoRefreshSeconds) + L" s";
    SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(counts.c_str()));
    UpdateButtons();
}

void BrowserWindow::UpdateButtons() {
    HWND window = window_.get();
    EnableWindow(GetDlgItem(window, IDCANCEL), refreshing_ && !cancelling_);
    EnableWindow(GetDlgItem(window, IDC_REFRESH), side_ && !refreshing_);
    EnableWindow(GetDlgItem(window, IDC_REFRESH_SELECTED), side_ && !refreshing_);
}

void BrowserWindow::Log(const std::wstring& text) {
    const std::wstring line = Clock() + L"  " + text;
    // Started from a shell (scripts/browse), the log also goes to the shell's error stream.
    HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    if (errors && errors != INVALID_HANDLE_VALUE) {
        const std::string utf8 = "vtbrowse: " + Utf8FromWide(line) + "\n";
        DWORD written = 0;
        WriteFile(errors, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
    if (SendMessageW(log_, LB_GETCOUNT, 0, 0) >= kMostLogLines) SendMessageW(log_, LB_DELETESTRING, 0, 0);
    const LRESULT index = SendMessageW(log_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) SendMessageW(log_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void BrowserWindow::Save() {
    // Filling the controls at start sends their change notifications: nothing to save before the
    // servers of the file are listed again.
    if (!started_) return;
    settings_.servers.clear();
    for (const ServerRow& row : rows_) settings_.servers.push_back(row.address);
    std::string error;
    if (!SaveSettingsFile(start_.settingsPath, settings_, error))
        Log(L"Settings not saved: " + WideFromUtf8(error));
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
