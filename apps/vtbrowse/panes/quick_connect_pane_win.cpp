#include "apps/vtbrowse/panes/quick_connect_pane_win.h"

#include "apps/shared/usable_address.h"
#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/panes/pane_rows.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "host/text/utf8_text.h"

BOOL QuickConnectPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    return TakeMessage(*this,
                       {{WM_COMMAND, &QuickConnectPane::OnCommand}, {WM_SIZE, &QuickConnectPane::OnSize}},
                       message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
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
    if (handled) Connect(Utf8FromWide(WindowText(text)));
    return 0;
}

// An address no server can have is refused as vtquery refuses it: never pinged.
void QuickConnectPane::Connect(const std::string& typed) {
    const size_t start = typed.find_first_not_of(" \t");
    if (start == std::string::npos) return;
    ServerAddress server;
    ServerListError error;
    if (ParseUsableServerAddress(typed.substr(start), server, error)) {
        model_.QuickConnect(server);
    } else {
        model_.Log(L"Cannot connect: " + WideFromUtf8(error.message));
    }
}

LRESULT QuickConnectPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    PlaceRow(QuickRow, 0, LOWORD(lParam), HIWORD(lParam));
    return 0;
}
