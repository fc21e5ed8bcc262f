#include "apps/vtbrowse/dialogs/masters_dialog_win.h"

#include <algorithm>
#include <optional>
#include <string>

#include "apps/masters/master_outcome.h"
#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "host/text/utf8_text.h"

namespace {

class MastersDialog final : public MessageMap {
public:
    explicit MastersDialog(MasterChoice choice) : choice(std::move(choice)) {}
    BOOL ProcessWindowMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

    MasterChoice choice;

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void Show(HWND dialog, int selected) const;
    // The typed master, or none with the reason shown in the dialog.
    std::optional<ServerAddress> Typed(HWND dialog) const;
    // Adds master (unless listed) or, with replace, puts it in place of the selected one.
    void Put(HWND dialog, const ServerAddress& master, bool replace);

    HWND dialog_ = nullptr;
};

BOOL MastersDialog::ProcessWindowMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
    dialog_ = dialog;
    return TakeMessage(
        *this, {{WM_INITDIALOG, &MastersDialog::OnInitDialog}, {WM_COMMAND, &MastersDialog::OnCommand}},
        message, wParam, lParam, result);
}

int Selected(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageW(dialog, IDC_MASTERS_LIST, LB_GETCURSEL, 0, 0));
}

void Say(HWND dialog, const std::wstring& problem) {
    SetDlgItemTextW(dialog, IDC_MASTERS_PROBLEM, problem.c_str());
}

void MastersDialog::Show(HWND dialog, int selected) const {
    HWND list = GetDlgItem(dialog, IDC_MASTERS_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const ServerAddress& master : choice.masters)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(master.WideText().c_str()));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    const bool any = selected >= 0 && selected < static_cast<int>(choice.masters.size());
    EnableWindow(GetDlgItem(dialog, IDC_MASTERS_CHANGE), any);
    EnableWindow(GetDlgItem(dialog, IDC_MASTERS_REMOVE), any);
}

std::optional<ServerAddress> MastersDialog::Typed(HWND dialog) const {
    ServerAddress master;
    ServerListError error;
    const std::string text = Utf8FromWide(WindowText(GetDlgItem(dialog, IDC_MASTERS_TEXT)));
    if (text.empty()) {
        Say(dialog, L"Type a master as HOST or HOST:PORT (port 28000 when none is given).");
        return std::nullopt;
    }
    if (!ParseMasterAddress(text, master, error)) {
        Say(dialog, WideFromUtf8(error.message));
        return std::nullopt;
    }
    Say(dialog, L"");
    return master;
}

void MastersDialog::Put(HWND dialog, const ServerAddress& master, bool replace) {
    std::vector<ServerAddress>& masters = choice.masters;
    const auto listed = std::find(masters.begin(), masters.end(), master);
    const int selected = Selected(dialog);
    if (listed != masters.end()) {
        Show(dialog, static_cast<int>(listed - masters.begin()));
        return;
    }
    if (replace && selected >= 0) {
        masters[static_cast<size_t>(selected)] = master;
        Show(dialog, selected);
        return;
    }
    masters.push_back(master);
    Show(dialog, static_cast<int>(masters.size()) - 1);
}

LRESULT MastersDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    Show(dialog_, -1);
    SetChecked(GetDlgItem(dialog_, IDC_MASTERS_AT_START), choice.atStart);
    // Ready for a master to be typed; choosing one in the list puts it there to change.
    SetFocus(GetDlgItem(dialog_, IDC_MASTERS_TEXT));
    return FALSE;  // the focus is set
}

LRESULT MastersDialog::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    HWND dialog = dialog_;
    const int selected = Selected(dialog);
    switch (LOWORD(wParam)) {
        case IDC_MASTERS_LIST:
            if (HIWORD(wParam) != LBN_SELCHANGE || selected < 0) return 0;
            SetDlgItemTextW(dialog, IDC_MASTERS_TEXT,
                            choice.masters[static_cast<size_t>(selected)].WideText().c_str());
            Show(dialog, selected);
            return 0;
        case IDC_MASTERS_ADD:
        case IDC_MASTERS_CHANGE:
            if (const std::optional<ServerAddress> master = Typed(dialog))
                Put(dialog, *master, LOWORD(wParam) == IDC_MASTERS_CHANGE);
            return 0;
        case IDC_MASTERS_REMOVE:
            if (selected < 0) return 0;
            choice.masters.erase(choice.masters.begin() + selected);
            Show(dialog, std::min(selected, static_cast<int>(choice.masters.size()) - 1));
            return 0;
        case IDC_MASTERS_COMMUNITY:
            for (const ServerAddress& master : CommunityMasters()) Put(dialog, master, false);
            return 0;
        case IDOK:
            // A master typed but not added yet is what the user meant to add.
            if (!WindowText(GetDlgItem(dialog, IDC_MASTERS_TEXT)).empty()) {
                const std::optional<ServerAddress> master = Typed(dialog);
                if (!master) return 0;
                Put(dialog, *master, false);
            }
            choice.atStart = IsChecked(GetDlgItem(dialog, IDC_MASTERS_AT_START));
            EndDialog(dialog, IDOK);
            return 0;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return 0;
        default:
            handled = FALSE;
            return 0;
    }
}

}  // namespace

bool AskMasters(HWND owner, MasterChoice& choice) {
    MastersDialog dialog{choice};
    const INT_PTR chosen = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MASTERS), owner,
                                           MapDialogProc<MastersDialog>, reinterpret_cast<LPARAM>(&dialog));
    if (chosen != IDOK) return false;
    choice = std::move(dialog.choice);
    return true;
}
