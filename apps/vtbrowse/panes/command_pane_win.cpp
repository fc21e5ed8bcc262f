#include "apps/vtbrowse/panes/command_pane_win.h"

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/panes/pane_rows.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL CommandPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) {
    return TakeMessage(*this,
                       {{WM_COMMAND, &CommandPane::OnCommand},
                        {WM_TIMER, &CommandPane::OnTimer},
                        {WM_SIZE, &CommandPane::OnSize}},
                       message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

namespace {

constexpr UINT_PTR AutoTimer = 1;

}  // namespace

CommandPane::CommandPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_COMMAND_BAR);
    HWND pane = window_.get();
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    CreateControl(pane, L"Button", L"&Add...", button, IDC_ADD);
    CreateControl(pane, L"Button", L"Remo&ve", button, IDC_REMOVE);
    CreateControl(pane, L"Button", L"&Import...", button, IDC_IMPORT);
    refresh_ = CreateControl(pane, L"Button", L"&Refresh all", button, IDC_REFRESH);
    refreshSelected_ = CreateControl(pane, L"Button", L"Refresh &selected", button, IDC_REFRESH_SELECTED);
    cancel_ = CreateControl(pane, L"Button", L"&Cancel", button, IDCANCEL);
    CreateControl(pane, L"Button", L"&Join...", button, IDC_JOIN);
    CreateControl(pane, L"Button", L"&Find player...", button, IDC_FIND);
    CreateControl(pane, L"Button", L"A&uto refresh", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_AUTO);
    // The period's label stands right before its box: a screen reader names the box by it.
    CreateControl(pane, L"Static", L"&every", SS_RIGHT | SS_CENTERIMAGE, IDC_AUTO_LABEL);
    CreateControl(pane, L"Edit", L"", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, IDC_AUTO_SECONDS,
                  WS_EX_CLIENTEDGE);
    CreateControl(pane, L"Static", L"s", SS_LEFT | SS_CENTERIMAGE, IDC_AUTO_UNIT);
    ShowAutoRefresh();
    model_.Subscribe(*this);
}

CommandPane::~CommandPane() {
    model_.Unsubscribe(*this);
}

// Every notice, each batch of results too: the buttons are kept, as looking them up asks the Wine
// server, which the pings keep busy.
void CommandPane::Changed(const ModelChange& change) {
    ShowEnabled(cancel_, model_.CanCancel());
    ShowEnabled(refresh_, model_.CanRefresh());
    ShowEnabled(refreshSelected_, model_.CanRefresh());
    if (change.settings) ShowAutoRefresh();
}

void CommandPane::ShowAutoRefresh() {
    HWND pane = window_.get();
    const BrowserSettings& settings = model_.Settings();
    ShowText(GetDlgItem(pane, IDC_AUTO_SECONDS), std::to_wstring(settings.autoRefreshSeconds));
    SetChecked(GetDlgItem(pane, IDC_AUTO), settings.autoRefresh);
    KillTimer(pane, AutoTimer);
    if (settings.autoRefresh)
        SetTimer(pane, AutoTimer, static_cast<UINT>(settings.autoRefreshSeconds) * 1000, nullptr);
}

// The box ticked, or the period typed once the keyboard leaves it; the other buttons are the
// window's commands (the base map's).
LRESULT CommandPane::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    handled = (id == IDC_AUTO && code == BN_CLICKED) || (id == IDC_AUTO_SECONDS && code == EN_KILLFOCUS);
    if (!handled) return 0;
    const std::wstring typed = WindowText(GetDlgItem(window_.get(), IDC_AUTO_SECONDS));
    model_.SetAutoRefresh(IsChecked(GetDlgItem(window_.get(), IDC_AUTO)),
                          typed.empty() || typed.size() > 9 ? 0 : std::wcstol(typed.c_str(), nullptr, 10));
    return 0;
}

LRESULT CommandPane::OnTimer(UINT, WPARAM timer, LPARAM, BOOL&) {
    if (timer == AutoTimer) model_.RefreshDue();
    return 0;
}

LRESULT CommandPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    PlaceRow(CommandRow, 0, LOWORD(lParam), HIWORD(lParam));
    return 0;
}
