#include "apps/vtbrowse/panes/status_pane_win.h"

#include <algorithm>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL StatusPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
    return TakeMessage(*this,
                       {{WM_SIZE, &StatusPane::OnSize},
                        {WM_NCLBUTTONDOWN, &StatusPane::OnGripClick},
                        {WM_NCLBUTTONUP, &StatusPane::OnGripClick}},
                       message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

StatusPane::StatusPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_STATUS_PANE);
    bar_ = CreateControl(window_.get(), STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, IDC_STATUS);
    model_.Subscribe(*this);
}

StatusPane::~StatusPane() {
    model_.Unsubscribe(*this);
}

int StatusPane::Height() {
    // Told of a size, the bar takes the height its font needs.
    SendMessageW(bar_, WM_SIZE, 0, 0);
    RECT bar{};
    GetWindowRect(bar_, &bar);
    return bar.bottom - bar.top;
}

void StatusPane::Changed(const ModelChange& change) {
    ShowPart(0, change.hint.empty() ? model_.Activity() : change.hint);
    ShowPart(1, model_.Counts());
}

LRESULT StatusPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    SendMessageW(bar_, WM_SIZE, 0, 0);
    const int parts[2] = {std::max(Scaled(100), LOWORD(lParam) - Scaled(220)), -1};
    SendMessageW(bar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    return 0;
}

LRESULT StatusPane::OnGripClick(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
    PostMessageW(GetAncestor(window_.get(), GA_ROOT), message, wParam, lParam);
    return 0;
}

void StatusPane::ShowPart(int part, const std::wstring& text) {
    std::wstring& shown = shown_[part];
    if (shown == text) return;
    shown = text;
    SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(shown.c_str()));
}
