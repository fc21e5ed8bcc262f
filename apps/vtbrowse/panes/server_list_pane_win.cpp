#include "apps/vtbrowse/panes/server_list_pane_win.h"

#include <algorithm>
#include <utility>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "common/owners/unique_resource.h"

BOOL ServerListPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          LRESULT& result) {
    return TakeMessage(*this,
                       {{WM_COMMAND, &ServerListPane::OnCommand},
                        {WM_NOTIFY, &ServerListPane::OnNotify},
                        {WM_CONTEXTMENU, &ServerListPane::OnContextMenu},
                        {WM_SIZE, &ServerListPane::OnSize},
                        {DpiChangedAfterParent, &ServerListPane::OnDpiChanged}},
                       message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

namespace {

void SetItemState(HWND list, int index, UINT state) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

// Copies text into a buffer the list view gave, cut to its size.
void CopyOut(const std::wstring& text, wchar_t* buffer, int size) {
    if (size <= 0) return;
    const size_t copied = text.copy(buffer, static_cast<size_t>(size) - 1);
    buffer[copied] = L'\0';
}

}  // namespace

ServerListPane::ServerListPane(HWND parent, BrowserModel& model, Handlers handlers)
    : model_(model), handlers_(std::move(handlers)), widths_(model.Settings().columnWidths) {
    CreatePane(parent, IDC_SERVER_PANE);
    list_ = CreateControl(window_.get(), WC_LISTVIEWW, L"",
                          LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP, IDC_SERVERS,
                          WS_EX_CLIENTEDGE);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    if (widths_.size() != RowColumnCount) widths_ = {190, 150, 110, 80, 230, 60, 80};
    for (int column = 0; column < RowColumnCount; ++column)
        AddListColumn(list_, ColumnHeading(static_cast<RowColumn>(column)), Scaled(widths_[column]));
    // The star stands first; the columns keep their numbers (the settings' sort key, the tests).
    int places[RowColumnCount] = {static_cast<int>(RowColumn::Favourite)};
    for (int column = 1; column < RowColumnCount; ++column) places[column] = column - 1;
    SendMessageW(list_, LVM_SETCOLUMNORDERARRAY, RowColumnCount, reinterpret_cast<LPARAM>(places));
    ShowOrder();
    // What the settings keep are the widths shown.
    if (widths_ != model_.Settings().columnWidths) model_.SetColumnWidths(widths_);
    model_.Subscribe(*this);
}

ServerListPane::~ServerListPane() {
    model_.Unsubscribe(*this);
}

void ServerListPane::Changed(const ModelChange& change) {
    for (const ServerId id : change.removed) drawn_.erase(id);
    if (change.shown) {
        const std::vector<ServerId> selected = SelectedIds();
        const ServerId focused = FocusedId();
        const std::vector<ServerId> before = std::exchange(ids_, model_.Shown());
        Redraw(before);
        if (!selected.empty() && before != ids_) Reselect(selected, focused);
        ShowOrder();
    } else if (!change.answered.empty()) {
        Redraw(ids_);
    }
    if (change.chosen) Select(change.chosen);
    if (change.shown || change.chosen) model_.Focus(FocusedId());
}

const ServerRow* ServerListPane::RowAt(size_t index) const {
    return index < ids_.size() ? model_.Find(ids_[index]) : nullptr;
}

void ServerListPane::Reselect(const std::vector<ServerId>& selected, ServerId focused) {
    restoringSelection_ = true;
    SetItemState(list_, -1, 0);
    for (const ServerId id : selected) {
        if (const std::optional<size_t> place = model_.PlaceOf(id))
            SetItemState(list_, static_cast<int>(*place), LVIS_SELECTED | (id == focused ? LVIS_FOCUSED : 0));
    }
    restoringSelection_ = false;
}

void ServerListPane::Redraw(const std::vector<ServerId>& before) {
    // A list of thousands is updated five times a second while it refreshes: the list view is
    // told its count only when it changed, and only the items in view that show something else
    // now are drawn again.
    if (ids_.size() != before.size()) {
        SendMessageW(list_, LVM_SETITEMCOUNT, ids_.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        InvalidateRect(list_, nullptr, FALSE);
        return;
    }
    const size_t top = static_cast<size_t>(std::max<LRESULT>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0), 0));
    const size_t inView =
        static_cast<size_t>(std::max<LRESULT>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0), 0));
    for (size_t index = top; index < ids_.size() && index <= top + inView; ++index) {
        const ServerId id = ids_[index];
        const ServerRow* row = model_.Find(id);
        const auto drawn = drawn_.find(id);
        bool same = before[index] == id && drawn != drawn_.end() && row;
        for (int column = 0; same && column < RowColumnCount; ++column)
            same =
                drawn->second[static_cast<size_t>(column)] == CellText(*row, static_cast<RowColumn>(column));
        if (!same) SendMessageW(list_, LVM_REDRAWITEMS, index, index);
    }
}

void ServerListPane::ShowOrder() {
    // The arrows set again redraw the header: only when the order changed, not every batch.
    const RowOrder& order = model_.Settings().order;
    if (arrows_ && arrows_->column == order.column && arrows_->descending == order.descending) return;
    arrows_ = order;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < RowColumnCount; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == static_cast<int>(order.column))
            item.fmt |= order.descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

std::vector<ServerId> ServerListPane::SelectedIds() const {
    std::vector<ServerId> ids;
    int index = -1;
    for (size_t guard = 0; guard <= ids_.size(); ++guard) {
        index =
            static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED));
        if (index < 0 || static_cast<size_t>(index) >= ids_.size()) break;
        ids.push_back(ids_[static_cast<size_t>(index)]);
    }
    return ids;
}

ServerId ServerListPane::FocusedId() const {
    int index = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const bool focusedSelected =
        index >= 0 && SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) != 0;
    if (!focusedSelected)
        index =
            static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return index >= 0 && static_cast<size_t>(index) < ids_.size() ? ids_[static_cast<size_t>(index)] : 0;
}

void ServerListPane::Select(ServerId id) {
    const std::optional<size_t> place = model_.PlaceOf(id);
    if (!place) return;
    const int index = static_cast<int>(*place);
    SetItemState(list_, -1, 0);
    SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

LRESULT ServerListPane::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    // The window's commands and Enter come without a control; the list's own are the menu's.
    handled = lParam == 0;
    if (!handled) return 0;
    const ServerId focused = FocusedId();
    switch (LOWORD(wParam)) {
        case IDOK:
            if (GetFocus() == list_) handlers_.join(focused, false);
            break;
        case IDC_REMOVE:
            model_.Remove(SelectedIds());
            break;
        case IDC_FAVOURITE:
            model_.ToggleFavourites(SelectedIds());
            break;
        case IDC_REFRESH_SELECTED:
            model_.Refresh(SelectedIds());
            break;
        case IDC_JOIN:
        case IDC_WATCH_SEAT:
            handlers_.join(focused, LOWORD(wParam) == IDC_WATCH_SEAT);
            break;
        case IDC_HAND_BACK:
            if (focused) handlers_.handBack(focused);
            break;
        default:
            handled = FALSE;
    }
    return 0;
}

bool ServerListPane::MenuPoint(LPARAM where, POINT& point) {
    point = POINT{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    if (where == -1) {
        // From the keyboard: below the item in focus.
        const int focused =
            static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        RECT item{LVIR_BOUNDS, 0, 0, 0};
        if (focused < 0 || !SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(focused),
                                         reinterpret_cast<LPARAM>(&item)))
            return false;
        point = POINT{item.left + 20, item.bottom};
        ClientToScreen(list_, &point);
        return FocusedId() != 0;
    }
    LVHITTESTINFO hit{};
    hit.pt = point;
    ScreenToClient(list_, &hit.pt);
    const int index = static_cast<int>(SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (index < 0 || static_cast<size_t>(index) >= ids_.size()) return false;
    const std::vector<ServerId> selected = SelectedIds();
    const ServerId clicked = ids_[static_cast<size_t>(index)];
    if (std::find(selected.begin(), selected.end(), clicked) == selected.end()) Select(clicked);
    return FocusedId() != 0;
}

// The servers' context menu: the plugin's own menu step for the server comes first, as a host's
// menu does it; the command chosen is the pane's as the window's are.
LRESULT ServerListPane::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    POINT point;
    handled = reinterpret_cast<HWND>(wParam) == list_;
    if (!handled || !MenuPoint(lParam, point)) return 0;
    handlers_.menuOpening(FocusedId());
    owners::unique_menu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, IDC_REFRESH_SELECTED, L"&Refresh");
    AppendMenuW(menu.get(), MF_STRING, IDC_JOIN, L"&Join...\tEnter");
    AppendMenuW(menu.get(), MF_STRING, IDC_WATCH_SEAT, L"Join when a seat &frees...");
    const ServerRow* focused = model_.Find(FocusedId());
    AppendMenuW(menu.get(), MF_STRING, IDC_FAVOURITE,
                focused && focused->origin.favourite ? L"Remove from fa&vourites\tCtrl+D"
                                                     : L"Add to fa&vourites\tCtrl+D");
    AppendMenuW(menu.get(), MF_STRING, IDC_REMOVE, L"Re&move\tDel");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDC_HAND_BACK, L"&Pass to the plugin and back");
    const int chosen = static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x,
                                                       point.y, 0, window_.get(), nullptr));
    if (chosen) SendMessageW(window_.get(), WM_COMMAND, static_cast<WPARAM>(chosen), 0);
    return 0;
}

LRESULT ServerListPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

std::vector<int> ServerListPane::ColumnWidths() {
    // A width the user changed is read back; one untouched keeps its units exactly.
    for (int column = 0; column < RowColumnCount; ++column) {
        const int shown =
            static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        if (shown != Scaled(widths_[column])) widths_[column] = Unscaled(shown, dpi_);
    }
    return widths_;
}

LRESULT ServerListPane::OnDpiChanged(UINT, WPARAM previous, LPARAM, BOOL&) {
    const int before = static_cast<int>(previous);
    for (int column = 0; column < RowColumnCount; ++column) {
        const int shown =
            static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        if (shown != ::Scaled(widths_[column], before)) widths_[column] = Unscaled(shown, before);
    }
    ShowColumnWidths();
    return 0;
}

void ServerListPane::ShowColumnWidths() {
    settingWidths_ = true;
    for (int column = 0; column < RowColumnCount; ++column)
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), Scaled(widths_[column]));
    settingWidths_ = false;
}

LRESULT ServerListPane::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    // A column's width the user changed is kept.
    if (header.code == HDN_ITEMCHANGEDW && !settingWidths_ &&
        header.hwndFrom == reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0))) {
        const HDITEMW* item = reinterpret_cast<const NMHEADERW&>(header).pitem;
        if (item && (item->mask & HDI_WIDTH)) model_.SetColumnWidths(ColumnWidths());
        return 0;
    }
    if (header.hwndFrom != list_) return 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
            const ServerRow* row = RowAt(static_cast<size_t>(info.item.iItem));
            const int column = info.item.iSubItem;
            if ((info.item.mask & LVIF_TEXT) && row && column >= 0 && column < RowColumnCount) {
                std::wstring& text = drawn_[row->id][static_cast<size_t>(column)];
                text = CellText(*row, static_cast<RowColumn>(column));
                CopyOut(text, info.item.pszText, info.item.cchTextMax);
            }
            break;
        }
        case LVN_GETINFOTIPW: {
            auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
            const ServerRow* row = RowAt(static_cast<size_t>(tip.iItem));
            if (row && row->refreshed) CopyOut(row->last.status.statusDetail, tip.pszText, tip.cchTextMax);
            break;
        }
        case LVN_COLUMNCLICK:
            model_.SortBy(static_cast<RowColumn>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
            break;
        case LVN_ITEMCHANGED:
            if (!restoringSelection_) model_.Focus(FocusedId());
            break;
        case LVN_KEYDOWN:
            if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) model_.Remove(SelectedIds());
            break;
        case NM_DBLCLK:
        case NM_RETURN:
            handlers_.join(FocusedId(), false);
            break;
        default:
            break;
    }
    return 0;
}
