#include "apps/vtbrowse/dialogs/add_servers_dialog_win.h"

#include <string>

#include "apps/shared/server_list.h"
#include "apps/shared/usable_address.h"
#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "host/text/utf8_text.h"

namespace {

// The typed text as a server list (UTF-8, as every server list is read); false with error filled
// when a part is not a server, or one no server can have (such an address is never listed, so
// never pinged).
bool ParseTyped(const std::wstring& typed, std::vector<ServerAddress>& servers, ServerListError& error) {
    std::string text = Utf8FromWide(typed);
    for (char& c : text) {
        if (c == ' ' || c == '\t' || c == ',' || c == ';') c = '\n';
    }
    return ParseServerList(text, "", servers, error, ParseUsableServerAddress);
}

// The dialog's object: what the user typed, once it is a list of servers.
class AddServersDialog final : public MessageMap {
public:
    BOOL ProcessWindowMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override {
        dialog_ = dialog;
        return TakeMessage(
            *this,
            {{WM_INITDIALOG, &AddServersDialog::OnInitDialog}, {WM_COMMAND, &AddServersDialog::OnCommand}},
            message, wParam, lParam, result);
    }

    std::vector<ServerAddress> servers;

private:
    // The system sets the focus.
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
        handled = LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog_, IDCANCEL);
        if (LOWORD(wParam) != IDOK) return 0;
        std::vector<ServerAddress> typed;
        ServerListError error;
        if (!ParseTyped(WindowText(GetDlgItem(dialog_, IDC_ADD_TEXT)), typed, error)) {
            // The message names the line as ":N: ..."; the user sees a box, not lines.
            const size_t colon = error.message.find(": ");
            SetDlgItemTextW(dialog_, IDC_ADD_PROBLEM, WideFromUtf8(error.message.substr(colon + 2)).c_str());
        } else if (typed.empty()) {
            SetDlgItemTextW(dialog_, IDC_ADD_PROBLEM, L"Type at least one server as ADDRESS:PORT.");
        } else {
            servers = std::move(typed);
            EndDialog(dialog_, IDOK);
        }
        return 0;
    }

    HWND dialog_ = nullptr;
};

}  // namespace

std::vector<ServerAddress> AskServers(HWND owner) {
    AddServersDialog dialog;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_SERVERS), owner,
                    MapDialogProc<AddServersDialog>, reinterpret_cast<LPARAM>(&dialog));
    return std::move(dialog.servers);
}

std::optional<std::wstring> AskServerListFile(HWND owner) {
    return AskOpenFile(owner, L"Server lists (*.txt)\0*.txt\0All files\0*.*\0",
                       L"Import a server list: one ADDRESS:PORT a line");
}
