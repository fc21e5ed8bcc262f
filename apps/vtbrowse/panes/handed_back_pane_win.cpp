#include "apps/vtbrowse/panes/handed_back_pane_win.h"

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL HandedBackPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          LRESULT& result) {
    return TakeMessage(*this, {{WM_SIZE, &HandedBackPane::OnSize}}, message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

HandedBackPane::HandedBackPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_HANDED_BACK_PANE);
    line_ = CreateControl(window_.get(), L"Static", L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                          IDC_HANDED_BACK);
    model_.Subscribe(*this);
}

HandedBackPane::~HandedBackPane() {
    model_.Unsubscribe(*this);
}

void HandedBackPane::Changed(const ModelChange& change) {
    if (change.handedBack) ShowText(line_, model_.HandedBack());
}

LRESULT HandedBackPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    MoveWindow(line_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}
