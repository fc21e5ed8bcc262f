#include "apps/vtbrowse/dialogs/find_player_dialog_win.h"

#include <utility>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/framework/display_scale_win.h"
#include "apps/vtbrowse/framework/scale.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL FindPlayerDialog::ProcessWindowMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    FollowWindow(dialog_, dialog, message);
    return TakeMessage(*this,
                       {{WM_INITDIALOG, &FindPlayerDialog::OnInitDialog},
                        {WM_SIZE, &FindPlayerDialog::OnSize},
                        {WM_DPICHANGED, &FindPlayerDialog::OnDpiChanged},
                        {WM_GETMINMAXINFO, &FindPlayerDialog::OnGetMinMaxInfo},
                        {WM_COMMAND, &FindPlayerDialog::OnCommand},
                        {WM_NOTIFY, &FindPlayerDialog::OnNotify}},
                       message, wParam, lParam, result);
}

FindPlayerDialog::FindPlayerDialog(HWND owner, BrowserModel& model) : model_(model) {
    // The dialog is owned from WM_INITDIALOG on, before any other message can reach it.
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FIND_PLAYER), owner,
                       MapDialogProc<FindPlayerDialog>, reinterpret_cast<LPARAM>(this));
    model_.Subscribe(*this);
}

FindPlayerDialog::~FindPlayerDialog() {
    model_.Unsubscribe(*this);
}

// What a player's search finds changes with the servers' answers and the rows listed.
void FindPlayerDialog::Changed(const ModelChange& change) {
    if (change.refreshEnded || !change.added.empty() || !change.removed.empty()) Update();
}

void FindPlayerDialog::Open() {
    Update();
    ShowWindow(dialog_.get(), SW_SHOW);
    HWND text = GetDlgItem(dialog_.get(), IDC_FIND_TEXT);
    SetFocus(text);
    SendMessageW(text, EM_SETSEL, 0, -1);
}

void FindPlayerDialog::Update() {
    HWND list = GetDlgItem(dialog_.get(), IDC_FIND_RESULTS);
    const std::wstring text = WindowText(GetDlgItem(dialog_.get(), IDC_FIND_TEXT));
    found_ = model_.FindPlayers(text);
    std::vector<std::vector<std::wstring>> rows;
    for (const PlayerSighting& found : found_)
        rows.push_back({found.player, found.serverName, found.address, found.mapName});
    ShowListRows(list, rows);
    const std::wstring count =
        text.empty()     ? L"Type a name to search the players of every server that answered."
        : found_.empty() ? L"Nobody of that name plays on the servers that answered."
                         : std::to_wstring(found_.size()) + (found_.size() == 1 ? L" player" : L" players") +
                               L" found; Enter or a double click selects the server.";
    SetDlgItemTextW(dialog_.get(), IDC_FIND_COUNT, count.c_str());
}

void FindPlayerDialog::ChooseSelected() {
    HWND list = GetDlgItem(dialog_.get(), IDC_FIND_RESULTS);
    const int selected =
        static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected >= 0 && static_cast<size_t>(selected) < found_.size())
        model_.Choose(found_[static_cast<size_t>(selected)].server);
}

void FindPlayerDialog::Layout() {
    RECT client;
    GetClientRect(dialog_.get(), &client);
    RECT units{7, 25, 7, 16};
    MapDialogRect(dialog_.get(), &units);
    const int margin = units.left;
    HWND text = GetDlgItem(dialog_.get(), IDC_FIND_TEXT);
    RECT textRect;
    GetWindowRect(text, &textRect);
    MapWindowPoints(nullptr, dialog_.get(), reinterpret_cast<POINT*>(&textRect), 2);
    MoveWindow(text, textRect.left, textRect.top, client.right - margin - textRect.left,
               textRect.bottom - textRect.top, TRUE);
    MoveWindow(GetDlgItem(dialog_.get(), IDC_FIND_RESULTS), margin, units.top, client.right - 2 * margin,
               client.bottom - units.top - units.bottom - margin, TRUE);
    MoveWindow(GetDlgItem(dialog_.get(), IDC_FIND_COUNT), margin, client.bottom - units.bottom - margin / 2,
               client.right - 2 * margin, units.bottom, TRUE);
}

LRESULT FindPlayerDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    HWND list = GetDlgItem(dialog_.get(), IDC_FIND_RESULTS);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    // The dialog's own sizes scale with its font; these are in 96-DPI units.
    dpi_ = WindowDpi(dialog_.get());
    AddListColumn(list, L"Player", Scaled(120, dpi_));
    AddListColumn(list, L"Server", Scaled(150, dpi_));
    AddListColumn(list, L"Address", Scaled(130, dpi_));
    AddListColumn(list, L"Map", Scaled(100, dpi_));
    Layout();
    Update();
    return TRUE;
}

LRESULT FindPlayerDialog::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
    Layout();
    return 0;
}

LRESULT FindPlayerDialog::OnDpiChanged(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const int previous = std::exchange(dpi_, HIWORD(wParam));
    HWND list = GetDlgItem(dialog_.get(), IDC_FIND_RESULTS);
    for (int column = 0; column < 4; ++column)
        ListView_SetColumnWidth(list, column, MulDiv(ListView_GetColumnWidth(list, column), dpi_, previous));
    handled = FALSE;
    return 0;
}

LRESULT FindPlayerDialog::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&) {
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{Scaled(360, dpi_), Scaled(220, dpi_)};
    return 0;
}

LRESULT FindPlayerDialog::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (LOWORD(wParam) == IDC_FIND_TEXT && HIWORD(wParam) == EN_CHANGE) {
        Update();
    } else if (LOWORD(wParam) == IDOK) {
        ChooseSelected();
    } else if (LOWORD(wParam) == IDCANCEL) {
        ShowWindow(dialog_.get(), SW_HIDE);
    }
    return 0;
}

LRESULT FindPlayerDialog::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    handled = header->idFrom == IDC_FIND_RESULTS && (header->code == NM_DBLCLK || header->code == NM_RETURN);
    if (handled) ChooseSelected();
    return 0;
}
