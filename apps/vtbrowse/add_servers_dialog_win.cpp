#include "apps/vtbrowse/add_servers_dialog_win.h"

#include <string>

#include "apps/shared/usable_address.h"
#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/window_object_win.h"
#include "host/text/utf8_text.h"

namespace {

// The typed text as a server list; false with error filled when a part is not a server, or one
// no server can have (such an address is never listed, so never pinged).
bool ParseTyped(const std::wstring& typed, std::vector<ServerAddress>& servers, ServerListError& error) {
    std::string text = Utf8FromWide(typed);
    for (char& c : text) {
        if (c == ' ' || c == '\t' || c == ',' || c == ';') c = '\n';
    }
    return ParseServerList(text, "", servers, error, ParseUsableServerAddress);
}

// The dialog's object: what the user typed, once it is a list of servers.
struct AddServersDialog {
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<ServerAddress> servers;
};

INT_PTR AddServersDialog::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK) return FALSE;
    std::vector<ServerAddress> typed;
    ServerListError error;
    if (!ParseTyped(WindowText(GetDlgItem(dialog, IDC_ADD_TEXT)), typed, error)) {
        // The message names the line as ":N: ..."; the user sees a box, not lines.
        const size_t colon = error.message.find(": ");
        SetDlgItemTextW(dialog, IDC_ADD_PROBLEM, WideFromUtf8(error.message.substr(colon + 2)).c_str());
        return TRUE;
    }
    if (typed.empty()) {
        SetDlgItemTextW(dialog, IDC_ADD_PROBLEM, L"Type at least one server as ADDRESS:PORT.");
        return TRUE;
    }
    servers = std::move(typed);
    EndDialog(dialog, IDOK);
    return TRUE;
}

}  // namespace

std::vector<ServerAddress> AskServers(HWND owner) {
    AddServersDialog dialog;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_SERVERS), owner,
                    ObjectDialogProc<AddServersDialog>, reinterpret_cast<LPARAM>(&dialog));
    return std::move(dialog.servers);
}

std::optional<std::wstring> AskServerListFile(HWND owner) {
    return AskOpenFile(owner, L"Server lists (*.txt)\0*.txt\0All files\0*.*\0",
                       L"Import a server list: one ADDRESS:PORT a line");
}
