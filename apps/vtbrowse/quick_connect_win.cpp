#include "apps/vtbrowse/quick_connect_win.h"

#include "apps/shared/usable_address.h"
#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "host/text/utf8_text.h"

QuickConnect::QuickConnect(HWND parent, int id, Handlers handlers) : handlers_(std::move(handlers)) {
    CreatePane(parent, id);
    HWND pane = window_.get();
    CreateControl(pane, L"Static", L"C&onnect to:", SS_RIGHT | SS_CENTERIMAGE, IDC_QUICK_LABEL);
    HWND text =
        CreateControl(pane, L"Edit", L"", ES_AUTOHSCROLL | WS_TABSTOP, IDC_QUICK_TEXT, WS_EX_CLIENTEDGE);
    SendMessageW(text, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"ADDRESS:PORT"));
    CreateControl(pane, L"Button", L"Connect", BS_PUSHBUTTON | WS_TABSTOP, IDC_QUICK_GO);
}

void QuickConnect::Await(ServerId server) {
    awaited_ = server;
    if (handlers_.select) handlers_.select(server);
    if (handlers_.check) handlers_.check(server);
}

bool QuickConnect::Arrived(ServerId server) {
    if (!awaited_ || server != awaited_) return false;
    awaited_ = 0;
    return true;
}

bool QuickConnect::OnEnter(HWND focus) {
    if (focus != GetDlgItem(window_.get(), IDC_QUICK_TEXT)) return false;
    ConnectTyped();
    return true;
}

void QuickConnect::ConnectTyped() {
    const std::string typed = Utf8FromWide(WindowText(GetDlgItem(window_.get(), IDC_QUICK_TEXT)));
    ServerAddress server;
    ServerListError error;
    if (typed.find_first_not_of(" \t") == std::string::npos) return;
    // An address no server can have is refused as vtquery refuses it: never pinged.
    if (!ParseUsableServerAddress(typed.substr(typed.find_first_not_of(" \t")), server, error)) {
        if (handlers_.log) handlers_.log(L"Cannot connect: " + WideFromUtf8(error.message));
        return;
    }
    if (handlers_.log)
        handlers_.log(L"Connecting to " + WideFromUtf8(server.Text()) + L": asking the server first");
    if (handlers_.connect) handlers_.connect(server);
}

void QuickConnect::OnCommand(int id, int code) {
    if (id == IDC_QUICK_GO && code == BN_CLICKED) ConnectTyped();
}

void QuickConnect::OnSize(int width, int height) {
    PlaceRow(QuickRow, 0, width, height);
}
