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

// Under Wine the bar paints itself the moment a text is set, inside the notice, twice in a batch of
// results; held back, both parts are drawn in one paint of the bar's own once the notice is over.
void StatusPane::Changed(const ModelChange& change) {
    const std::wstring texts[2] = {change.hint.empty() ? model_.Activity() : change.hint, model_.Counts()};
    if (texts[0] == shown_[0] && texts[1] == shown_[1]) return;
    SendMessageW(bar_, WM_SETREDRAW, FALSE, 0);
    for (int part = 0; part < 2; ++part) ShowPart(part, texts[part]);
    SendMessageW(bar_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(bar_, nullptr, TRUE);
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
