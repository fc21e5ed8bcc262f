#include "apps/vtbrowse/command_bar_win.h"

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/settings_file.h"

namespace {

constexpr UINT_PTR AutoTimer = 1;

}  // namespace

CommandBar::CommandBar(HWND parent, bool autoRefresh, int seconds, Handlers handlers)
    : handlers_(std::move(handlers)), autoRefresh_(autoRefresh), seconds_(seconds) {
    CreatePane(parent, IDC_COMMAND_BAR);
    HWND pane = window_.get();
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    CreateControl(pane, L"Button", L"&Add...", button, IDC_ADD);
    CreateControl(pane, L"Button", L"Remo&ve", button, IDC_REMOVE);
    CreateControl(pane, L"Button", L"&Import...", button, IDC_IMPORT);
    CreateControl(pane, L"Button", L"&Refresh all", button, IDC_REFRESH);
    CreateControl(pane, L"Button", L"Refresh &selected", button, IDC_REFRESH_SELECTED);
    CreateControl(pane, L"Button", L"&Cancel", button, IDCANCEL);
    CreateControl(pane, L"Button", L"&Join...", button, IDC_JOIN);
    CreateControl(pane, L"Button", L"&Find player...", button, IDC_FIND);
    CreateControl(pane, L"Button", L"A&uto refresh", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_AUTO);
    // The period's label stands right before its box: a screen reader names the box by it.
    CreateControl(pane, L"Static", L"&every", SS_RIGHT | SS_CENTERIMAGE, IDC_AUTO_LABEL);
    CreateControl(pane, L"Edit", std::to_wstring(seconds_).c_str(), ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP,
                  IDC_AUTO_SECONDS, WS_EX_CLIENTEDGE);
    CreateControl(pane, L"Static", L"s", SS_LEFT | SS_CENTERIMAGE, IDC_AUTO_UNIT);
    SetChecked(GetDlgItem(pane, IDC_AUTO), autoRefresh_);
    if (autoRefresh_) SetTimer(pane, AutoTimer, static_cast<UINT>(seconds_) * 1000, nullptr);
}

void CommandBar::ShowRunning(bool canRefresh, bool canCancel) {
    HWND pane = window_.get();
    ShowEnabled(GetDlgItem(pane, IDCANCEL), canCancel);
    ShowEnabled(GetDlgItem(pane, IDC_REFRESH), canRefresh);
    ShowEnabled(GetDlgItem(pane, IDC_REFRESH_SELECTED), canRefresh);
}

void CommandBar::OnCommand(int id, int code) {
    if (id == IDC_AUTO_SECONDS || id == IDC_AUTO) {
        if ((id == IDC_AUTO && code == BN_CLICKED) || (id == IDC_AUTO_SECONDS && code == EN_KILLFOCUS))
            ApplyAutoRefresh();
        return;
    }
    if (code == BN_CLICKED && handlers_.command) handlers_.command(id);
}

void CommandBar::ApplyAutoRefresh() {
    HWND pane = window_.get();
    const std::wstring typed = WindowText(GetDlgItem(pane, IDC_AUTO_SECONDS));
    const long seconds = typed.empty() ? 0 : std::wcstol(typed.c_str(), nullptr, 10);
    if (AutoRefreshSetting.Allows(seconds)) {
        seconds_ = static_cast<int>(seconds);
    } else {
        if (handlers_.log)
            handlers_.log(L"Automatic refresh: the period is from " + AutoRefreshSetting.Range() +
                          L" seconds; kept " + std::to_wstring(seconds_) + L" s");
        SetDlgItemTextW(pane, IDC_AUTO_SECONDS, std::to_wstring(seconds_).c_str());
    }
    autoRefresh_ = IsChecked(GetDlgItem(pane, IDC_AUTO));
    KillTimer(pane, AutoTimer);
    if (autoRefresh_) SetTimer(pane, AutoTimer, static_cast<UINT>(seconds_) * 1000, nullptr);
    if (handlers_.autoChanged) handlers_.autoChanged(autoRefresh_, seconds_);
}

void CommandBar::OnTimer(UINT_PTR timer) {
    if (timer == AutoTimer && handlers_.due) handlers_.due();
}

void CommandBar::OnSize(int width, int height) {
    PlaceRow(CommandRow, 0, width, height);
}
