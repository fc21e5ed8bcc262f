#include "apps/vtbrowse/panes/quick_connect_pane_win.h"

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/panes/pane_rows.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL QuickConnectPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    BOOL handled = TRUE;
    switch (message) {
        case WM_COMMAND:
            result = OnCommand(message, wParam, lParam, handled);
            break;
        case WM_SIZE:
            result = OnSize(message, wParam, lParam, handled);
            break;
        default:
            handled = FALSE;
    }
    return handled || Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

QuickConnectPane::QuickConnectPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_QUICK_CONNECT);
    HWND pane = window_.get();
    CreateControl(pane, L"Static", L"C&onnect to:", SS_RIGHT | SS_CENTERIMAGE, IDC_QUICK_LABEL);
    HWND text =
        CreateControl(pane, L"Edit", L"", ES_AUTOHSCROLL | WS_TABSTOP, IDC_QUICK_TEXT, WS_EX_CLIENTEDGE);
    SendMessageW(text, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"ADDRESS:PORT"));
    CreateControl(pane, L"Button", L"Connect", BS_PUSHBUTTON | WS_TABSTOP, IDC_QUICK_GO);
}

LRESULT QuickConnectPane::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    HWND text = GetDlgItem(window_.get(), IDC_QUICK_TEXT);
    const bool clicked = LOWORD(wParam) == IDC_QUICK_GO && HIWORD(wParam) == BN_CLICKED;
    const bool entered = LOWORD(wParam) == IDOK && GetFocus() == text;
    handled = clicked || entered;
    if (handled) model_.QuickConnect(WindowText(text));
    return 0;
}

LRESULT QuickConnectPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    PlaceRow(QuickRow, 0, LOWORD(lParam), HIWORD(lParam));
    return 0;
}
