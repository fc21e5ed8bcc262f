#include "apps/vtbrowse/add_servers_dialog_win.h"

#include <string>

#include "apps/shared/utf8_text.h"
#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"

namespace {

// The typed text as a server list; false with error filled when a part is not a server.
bool ParseTyped(const std::wstring& typed, std::vector<ServerAddress>& servers, ServerListError& error) {
    std::string text = Utf8FromWide(typed);
    for (char& c : text) {
        if (c == ' ' || c == '\t' || c == ',' || c == ';') c = '\n';
    }
    return ParseServerList(text, "", servers, error);
}

INT_PTR CALLBACK AddServersProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK) return FALSE;
    auto* servers = reinterpret_cast<std::vector<ServerAddress>*>(GetWindowLongPtrW(dialog, DWLP_USER));
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
    *servers = std::move(typed);
    EndDialog(dialog, IDOK);
    return TRUE;
}

}  // namespace

std::vector<ServerAddress> AskServers(HWND owner) {
    std::vector<ServerAddress> servers;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_SERVERS), owner, AddServersProc,
                    reinterpret_cast<LPARAM>(&servers));
    return servers;
}
