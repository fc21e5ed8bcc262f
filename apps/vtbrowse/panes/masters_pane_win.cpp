#include "apps/vtbrowse/panes/masters_pane_win.h"

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/panes/pane_rows.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL MastersPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) {
    return TakeMessage(*this, {{WM_SIZE, &MastersPane::OnSize}}, message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

MastersPane::MastersPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_MASTERS_PANE);
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    get_ = CreateControl(window_.get(), L"Button", L"Get from mas&ters", button, IDC_GET_MASTERS);
    CreateControl(window_.get(), L"Button", L"&Masters...", button, IDC_MASTERS);
    model_.Subscribe(*this);
}

MastersPane::~MastersPane() {
    model_.Unsubscribe(*this);
}

// Every notice, a batch of results too: the button is kept, as looking it up asks the Wine server,
// which the pings keep busy.
void MastersPane::Changed(const ModelChange&) {
    ShowEnabled(get_, !model_.Fetching());
}

LRESULT MastersPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    PlaceRow(MastersRow, 0, LOWORD(lParam), HIWORD(lParam));
    return 0;
}
