#include "apps/vtbrowse/friends_pane_win.h"

#include <algorithm>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"

namespace {

// The list's columns in 96-DPI units.
constexpr int ColumnWidths[] = {70, 80, 180, 90};

std::wstring ServerText(const FriendSighting& sighting) {
    if (sighting.player.empty()) return L"not playing on the servers that answered";
    return sighting.serverName.empty() ? sighting.address : sighting.serverName;
}

}  // namespace

FriendsPane::FriendsPane(HWND parent, int id, ServerTable& rows, std::vector<std::wstring> friends,
                         Handlers handlers)
    : rows_(rows), friends_(std::move(friends)), handlers_(std::move(handlers)) {
    rows_.Subscribe(*this);
    CreatePane(parent, id);
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
        if (lastAppearance_) Choose(lastAppearance_);
    });
    ShowWhere();
}

FriendsPane::~FriendsPane() {
    rows_.Unsubscribe(*this);
}

void FriendsPane::RowAnswered(const ServerRow& row, bool) {
    for (FriendSighting& sighting : appearances_.Answered(row, friends_))
        told_.push_back(std::move(sighting));
}

void FriendsPane::Tell() {
    ShowWhere();
    if (told_.empty()) return;
    std::wstring text;
    for (const FriendSighting& sighting : told_) {
        const std::wstring line = AppearanceText(sighting);
        if (handlers_.log) handlers_.log(L"Friend online: " + line);
        text += (text.empty() ? L"" : L"\n") + line;
    }
    lastAppearance_ = told_.back().server;
    const std::wstring title = told_.size() == 1 ? L"A friend is playing" : L"Friends are playing";
    told_.clear();
    if (!icon_->Tell(title, text)) {
        if (handlers_.log)
            handlers_.log(L"The notification area is not there: the balloon could not be shown");
    } else if (handlers_.notified) {
        handlers_.notified(title, text);
    }
}

void FriendsPane::RowsRemoved(const std::vector<ServerId>& servers) {
    for (const ServerId server : servers) appearances_.Forget(server);
    ShowWhere();
}

void FriendsPane::ShowWhere() {
    HWND list = GetDlgItem(window_.get(), IDC_FRIEND_LIST);
    shown_ = WhereFriendsPlay(rows_, friends_);
    std::vector<std::vector<std::wstring>> rows;
    for (const FriendSighting& sighting : shown_)
        rows.push_back({sighting.pattern, sighting.player, ServerText(sighting), sighting.mapName});
    ShowListRows(list, rows);
}

void FriendsPane::AddTyped() {
    HWND text = GetDlgItem(window_.get(), IDC_FRIEND_TEXT);
    std::wstring name = WindowText(text);
    name.erase(0, name.find_first_not_of(L" \t"));
    name.erase(name.find_last_not_of(L" \t") + 1);
    if (name.empty()) return;
    SetWindowTextW(text, L"");
    if (std::find(friends_.begin(), friends_.end(), name) != friends_.end()) return;
    friends_.push_back(name);
    // Where a friend plays already is shown here, not told as news.
    appearances_.SeeAll(rows_, friends_);
    ShowWhere();
    if (handlers_.friendsChanged) handlers_.friendsChanged();
}

void FriendsPane::RemoveSelected() {
    HWND list = GetDlgItem(window_.get(), IDC_FRIEND_LIST);
    const int selected =
        static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected < 0 || static_cast<size_t>(selected) >= shown_.size()) return;
    const std::wstring pattern = shown_[static_cast<size_t>(selected)].pattern;
    friends_.erase(std::remove(friends_.begin(), friends_.end(), pattern), friends_.end());
    appearances_.SeeAll(rows_, friends_);
    ShowWhere();
    if (handlers_.friendsChanged) handlers_.friendsChanged();
}

void FriendsPane::ChooseSelected() {
    HWND list = GetDlgItem(window_.get(), IDC_FRIEND_LIST);
    const int selected =
        static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected < 0 || static_cast<size_t>(selected) >= shown_.size()) return;
    const ServerId server = shown_[static_cast<size_t>(selected)].server;
    if (server) Choose(server);
}

void FriendsPane::Choose(ServerId server) {
    HWND main = GetAncestor(window_.get(), GA_ROOT);
    ShowWindow(main, SW_RESTORE);
    SetForegroundWindow(main);
    if (handlers_.chosen) handlers_.chosen(server);
}

bool FriendsPane::OnEnter(HWND focus) {
    if (focus == GetDlgItem(window_.get(), IDC_FRIEND_TEXT)) {
        AddTyped();
        return true;
    }
    if (focus != GetDlgItem(window_.get(), IDC_FRIEND_LIST)) return false;
    ChooseSelected();
    return true;
}

void FriendsPane::OnCommand(int id, int code) {
    if (id == IDC_FRIEND_ADD && code == BN_CLICKED) AddTyped();
    if (id == IDC_FRIEND_REMOVE && code == BN_CLICKED) RemoveSelected();
}

void FriendsPane::OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_FRIEND_LIST) return;
    if (header.code == NM_DBLCLK || header.code == NM_RETURN) ChooseSelected();
    if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE)
        RemoveSelected();
}

void FriendsPane::OnSize(int width, int height) {
    HWND pane = window_.get();
    PlaceRow(FriendsRow, 0, width, Scaled(ControlHeight));
    MoveWindow(GetDlgItem(pane, IDC_FRIEND_LIST), 0, Scaled(ControlHeight + 4), width,
               std::max(Scaled(20), height - Scaled(ControlHeight + 4)), TRUE);
}

void FriendsPane::OnDpiChanged(int) {
    HWND list = GetDlgItem(window_.get(), IDC_FRIEND_LIST);
    for (int column = 0; column < 4; ++column)
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), Scaled(ColumnWidths[column]));
}
