#include "apps/vtbrowse/panes/friends_pane_win.h"

#include <algorithm>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/panes/pane_rows.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL FriendsPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) {
    return TakeMessage(*this,
                       {{WM_COMMAND, &FriendsPane::OnCommand},
                        {WM_NOTIFY, &FriendsPane::OnNotify},
                        {WM_SIZE, &FriendsPane::OnSize},
                        {DpiChangedAfterParent, &FriendsPane::OnDpiChanged}},
                       message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

namespace {

// The list's columns in 96-DPI units.
constexpr int ColumnWidths[] = {70, 80, 180, 90};

std::wstring ServerText(const FriendSighting& sighting) {
    if (sighting.player.empty()) return L"not playing on the servers that answered";
    return sighting.serverName.empty() ? sighting.address : sighting.serverName;
}

}  // namespace

FriendsPane::FriendsPane(HWND parent, BrowserModel& model, Notified notified)
    : model_(model), notified_(std::move(notified)) {
    CreatePane(parent, IDC_FRIENDS);
    HWND pane = window_.get();
    CreateControl(pane, L"Static", L"Friends", SS_LEFT | SS_CENTERIMAGE, IDC_FRIENDS_TITLE);
    HWND text =
        CreateControl(pane, L"Edit", L"", ES_AUTOHSCROLL | WS_TABSTOP, IDC_FRIEND_TEXT, WS_EX_CLIENTEDGE);
    SendMessageW(text, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Name, * for any letters"));
    CreateControl(pane, L"Button", L"Add friend", BS_PUSHBUTTON | WS_TABSTOP, IDC_FRIEND_ADD);
    CreateControl(pane, L"Button", L"Remove", BS_PUSHBUTTON | WS_TABSTOP, IDC_FRIEND_REMOVE);
    HWND list =
        CreateControl(pane, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                      IDC_FRIEND_LIST, WS_EX_CLIENTEDGE);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    int column = 0;
    for (const wchar_t* heading : {L"Friend", L"Playing as", L"Server", L"Map"})
        AddListColumn(list, heading, Scaled(ColumnWidths[column++]));
    icon_ = std::make_unique<NotificationIcon>([this] {
        if (model_.LastAppearance()) Choose(model_.LastAppearance());
    });
    ShowWhere();
    model_.Subscribe(*this);
}

FriendsPane::~FriendsPane() {
    model_.Unsubscribe(*this);
}

void FriendsPane::Changed(const ModelChange& change) {
    if (change.friends) ShowWhere();
    if (change.balloonText.empty()) return;
    if (!icon_->Tell(change.balloonTitle, change.balloonText)) {
        model_.Log(L"The notification area is not there: the balloon could not be shown");
    } else if (notified_) {
        notified_(change.balloonTitle, change.balloonText);
    }
}

void FriendsPane::ShowWhere() {
    shown_ = model_.WhereFriendsPlay();
    std::vector<std::vector<std::wstring>> rows;
    for (const FriendSighting& sighting : shown_)
        rows.push_back({sighting.pattern, sighting.player, ServerText(sighting), sighting.mapName});
    ShowListRows(GetDlgItem(window_.get(), IDC_FRIEND_LIST), rows);
}

void FriendsPane::AddTyped() {
    HWND text = GetDlgItem(window_.get(), IDC_FRIEND_TEXT);
    if (model_.AddFriend(WindowText(text))) SetWindowTextW(text, L"");
}

int FriendsPane::Selected() const {
    HWND list = GetDlgItem(window_.get(), IDC_FRIEND_LIST);
    const int selected =
        static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return selected >= 0 && static_cast<size_t>(selected) < shown_.size() ? selected : -1;
}

void FriendsPane::Choose(ServerId server) {
    HWND main = GetAncestor(window_.get(), GA_ROOT);
    ShowWindow(main, SW_RESTORE);
    SetForegroundWindow(main);
    model_.Choose(server);
}

LRESULT FriendsPane::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    const HWND focus = GetFocus();
    const int selected = Selected();
    if ((id == IDC_FRIEND_ADD && code == BN_CLICKED) ||
        (id == IDOK && focus == GetDlgItem(window_.get(), IDC_FRIEND_TEXT))) {
        AddTyped();
    } else if (id == IDC_FRIEND_REMOVE && code == BN_CLICKED && selected >= 0) {
        model_.RemoveFriend(shown_[static_cast<size_t>(selected)].pattern);
    } else if (id == IDOK && focus == GetDlgItem(window_.get(), IDC_FRIEND_LIST) && selected >= 0 &&
               shown_[static_cast<size_t>(selected)].server) {
        Choose(shown_[static_cast<size_t>(selected)].server);
    }
    return 0;
}

LRESULT FriendsPane::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    const int selected = Selected();
    if (header.idFrom != IDC_FRIEND_LIST || selected < 0) return 0;
    const FriendSighting& sighting = shown_[static_cast<size_t>(selected)];
    if ((header.code == NM_DBLCLK || header.code == NM_RETURN) && sighting.server) Choose(sighting.server);
    if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE)
        model_.RemoveFriend(sighting.pattern);
    return 0;
}

LRESULT FriendsPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const int width = LOWORD(lParam), height = HIWORD(lParam);
    PlaceRow(FriendsRow, 0, width, Scaled(ControlHeight));
    MoveWindow(GetDlgItem(window_.get(), IDC_FRIEND_LIST), 0, Scaled(ControlHeight + 4), width,
               std::max(Scaled(20), height - Scaled(ControlHeight + 4)), TRUE);
    return 0;
}

LRESULT FriendsPane::OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&) {
    HWND list = GetDlgItem(window_.get(), IDC_FRIEND_LIST);
    for (int column = 0; column < 4; ++column)
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), Scaled(ColumnWidths[column]));
    return 0;
}
