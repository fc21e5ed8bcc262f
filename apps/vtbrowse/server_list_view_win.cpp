#include "apps/vtbrowse/server_list_view_win.h"

#include <algorithm>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/player_filters.h"
#include "common/owners/unique_resource.h"

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

ServerListView::ServerListView(HWND parent, ServerTable& table, const RowOrder& order,
                               const std::vector<int>& columnWidths, Handlers handlers)
    : table_(table), handlers_(std::move(handlers)), order_(order), widths_(columnWidths) {
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
    table_.Subscribe(*this);
}

ServerListView::~ServerListView() {
    table_.Unsubscribe(*this);
}

void ServerListView::RowsAdded(const AddedRows&) {
    rowsAddedOrRemoved_ = true;
}

void ServerListView::RowAnswered(const ServerRow& row, bool) {
    answered_.push_back(row.id);
}

void ServerListView::RowsRemoved(const std::vector<ServerId>& ids) {
    rowsAddedOrRemoved_ = true;
    for (const ServerId id : ids) drawn_.erase(id);
}

const ServerRow* ServerListView::RowAt(size_t index) const {
    return index < shown_.Ids().size() ? table_.Find(shown_.Ids()[index]) : nullptr;
}

void ServerListView::Show(const RowFilter& filter) {
    filter_ = filter;
    const std::vector<ServerId> selected = SelectedIds();
    const ServerId focused = FocusedId();
    const std::vector<ServerId> before = shown_.Ids();
    shown_.Make(table_, filter_, order_);
    answered_.clear();
    rowsAddedOrRemoved_ = false;
    Redraw(before);
    Reselect(selected, focused, before);
}

void ServerListView::Reselect(const std::vector<ServerId>& selected, ServerId focused,
                              const std::vector<ServerId>& before) {
    if (selected.empty() || before == shown_.Ids()) return;
    restoringSelection_ = true;
    SetItemState(list_, -1, 0);
    for (const ServerId id : selected) {
        if (const std::optional<size_t> place = shown_.PlaceOf(id))
            SetItemState(list_, static_cast<int>(*place), LVIS_SELECTED | (id == focused ? LVIS_FOCUSED : 0));
    }
    restoringSelection_ = false;
}

void ServerListView::Update() {
    if (rowsAddedOrRemoved_) {
        Show(filter_);
        return;
    }
    if (shown_.StillHolds(table_, answered_)) {
        Redraw(shown_.Ids());
    } else {
        const std::vector<ServerId> selected = SelectedIds();
        const ServerId focused = FocusedId();
        const std::vector<ServerId> before = shown_.Ids();
        shown_.Reorder(table_, answered_);
        Redraw(before);
        Reselect(selected, focused, before);
    }
    answered_.clear();
}

void ServerListView::Redraw(const std::vector<ServerId>& before) {
    // A list of thousands is updated five times a second while it refreshes: the list view is
    // told its count only when it changed, and only the items in view that show something else
    // now are drawn again.
    if (shown_.Ids().size() != before.size()) {
        SendMessageW(list_, LVM_SETITEMCOUNT, shown_.Ids().size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        InvalidateRect(list_, nullptr, FALSE);
        return;
    }
    const size_t top = static_cast<size_t>(std::max<LRESULT>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0), 0));
    const size_t inView =
        static_cast<size_t>(std::max<LRESULT>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0), 0));
    for (size_t index = top; index < shown_.Ids().size() && index <= top + inView; ++index) {
        const ServerId id = shown_.Ids()[index];
        const auto drawn = drawn_.find(id);
        bool same = before[index] == id && drawn != drawn_.end();
        for (int column = 0; same && column < RowColumnCount; ++column) {
            same = drawn->second[static_cast<size_t>(column)] ==
                   CellText(*table_.Find(id), static_cast<RowColumn>(column));
        }
        if (!same) SendMessageW(list_, LVM_REDRAWITEMS, index, index);
    }
}

void ServerListView::SortBy(RowColumn column) {
    order_.descending = order_.column == column && !order_.descending;
    order_.column = column;
    ShowOrder();
    Show(filter_);
    if (handlers_.arranged) handlers_.arranged();
}

void ServerListView::ShowOrder() {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < RowColumnCount; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == static_cast<int>(order_.column))
            item.fmt |= order_.descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

std::vector<ServerId> ServerListView::SelectedIds() const {
    std::vector<ServerId> ids;
    int index = -1;
    for (size_t guard = 0; guard <= shown_.Ids().size(); ++guard) {
        index =
            static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED));
        if (index < 0 || static_cast<size_t>(index) >= shown_.Ids().size()) break;
        ids.push_back(shown_.Ids()[static_cast<size_t>(index)]);
    }
    return ids;
}

ServerId ServerListView::FocusedId() const {
    int index = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const bool focusedSelected =
        index >= 0 && SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) != 0;
    if (!focusedSelected) {
        index =
            static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    return index >= 0 && static_cast<size_t>(index) < shown_.Ids().size()
               ? shown_.Ids()[static_cast<size_t>(index)]
               : 0;
}

void ServerListView::Select(ServerId id) {
    const std::optional<size_t> place = shown_.PlaceOf(id);
    if (!place) return;
    const int index = static_cast<int>(*place);
    SetItemState(list_, -1, 0);
    SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

bool ServerListView::MenuPoint(LPARAM where, POINT& point) {
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
    if (index < 0 || static_cast<size_t>(index) >= shown_.Ids().size()) return false;
    const std::vector<ServerId> selected = SelectedIds();
    const ServerId clicked = shown_.Ids()[static_cast<size_t>(index)];
    if (std::find(selected.begin(), selected.end(), clicked) == selected.end()) {
        Select(clicked);
        if (handlers_.selectionChanged) handlers_.selectionChanged();
    }
    return FocusedId() != 0;
}

void ServerListView::ContextMenu(LPARAM where) {
    POINT point;
    if (!MenuPoint(where, point)) return;
    // The plugin's own menu step for the server comes first, as a host's menu does it.
    if (handlers_.menuOpening) handlers_.menuOpening(FocusedId());
    owners::unique_menu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, IDC_REFRESH_SELECTED, L"&Refresh");
    AppendMenuW(menu.get(), MF_STRING, IDC_JOIN, L"&Join...\tEnter");
    AppendMenuW(menu.get(), MF_STRING, IDC_WATCH_SEAT, L"Join when a seat &frees...");
    const ServerRow* focused = table_.Find(FocusedId());
    AppendMenuW(menu.get(), MF_STRING, IDC_FAVOURITE,
                focused && focused->origin.favourite ? L"Remove from fa&vourites\tCtrl+D"
                                                     : L"Add to fa&vourites\tCtrl+D");
    AppendMenuW(menu.get(), MF_STRING, IDC_REMOVE, L"Re&move\tDel");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDC_HAND_BACK, L"&Pass to the plugin and back");
    const int chosen = static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x,
                                                       point.y, 0, window_.get(), nullptr));
    if (chosen && handlers_.command) handlers_.command(chosen);
}

bool ServerListView::OnOther(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CONTEXTMENU || reinterpret_cast<HWND>(wParam) != list_) return false;
    ContextMenu(lParam);
    return true;
}

bool ServerListView::OnEnter(HWND focus) {
    if (focus != list_) return false;
    if (handlers_.chosen) handlers_.chosen();
    return true;
}

void ServerListView::OnSize(int width, int height) {
    MoveWindow(list_, 0, 0, width, height, TRUE);
}

std::vector<int> ServerListView::ColumnWidths() {
    // A width the user changed is read back; one untouched keeps its units exactly.
    for (int column = 0; column < RowColumnCount; ++column) {
        const int shown =
            static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        if (shown != Scaled(widths_[column])) widths_[column] = Unscaled(shown, dpi_);
    }
    return widths_;
}

void ServerListView::OnDpiChanged(int previous) {
    for (int column = 0; column < RowColumnCount; ++column) {
        const int shown =
            static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        if (shown != ::Scaled(widths_[column], previous)) widths_[column] = Unscaled(shown, previous);
    }
    ShowColumnWidths();
}

void ServerListView::ShowColumnWidths() {
    settingWidths_ = true;
    for (int column = 0; column < RowColumnCount; ++column)
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), Scaled(widths_[column]));
    settingWidths_ = false;
}

void ServerListView::OnNotify(const NMHDR& header) {
    // A column's width the user changed is kept.
    if (header.code == HDN_ITEMCHANGEDW && !settingWidths_ &&
        header.hwndFrom == reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0))) {
        const HDITEMW* item = reinterpret_cast<const NMHEADERW&>(header).pitem;
        if (item && (item->mask & HDI_WIDTH) && handlers_.arranged) handlers_.arranged();
        return;
    }
    if (header.hwndFrom != list_) return;
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
            SortBy(static_cast<RowColumn>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
            break;
        case LVN_ITEMCHANGED:
            if (!restoringSelection_ && handlers_.selectionChanged) handlers_.selectionChanged();
            break;
        case LVN_KEYDOWN:
            if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE && handlers_.deletePressed)
                handlers_.deletePressed();
            break;
        case NM_DBLCLK:
        case NM_RETURN:
            if (handlers_.chosen) handlers_.chosen();
            break;
        default:
            break;
    }
}
