#include "apps/vtbrowse/masters_dialog_win.h"

#include <algorithm>
#include <optional>
#include <string>

#include "apps/masters/master_outcome.h"
#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/settings_file.h"
#include "apps/vtbrowse/window_object_win.h"
#include "host/text/utf8_text.h"

namespace {

struct MastersDialog {
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    void Show(HWND dialog, int selected) const;
    // The typed master, or none with the reason shown in the dialog.
    std::optional<ServerAddress> Typed(HWND dialog) const;
    // Adds master (unless listed) or, with replace, puts it in place of the selected one.
    void Put(HWND dialog, const ServerAddress& master, bool replace);

    MasterChoice choice;
};

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
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(master.Text()).c_str()));
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

INT_PTR MastersDialog::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        Show(dialog, -1);
        SetChecked(GetDlgItem(dialog, IDC_MASTERS_AT_START), choice.atStart);
        // Ready for a master to be typed; choosing one in the list puts it there to change.
        SetFocus(GetDlgItem(dialog, IDC_MASTERS_TEXT));
        return FALSE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int selected = Selected(dialog);
    switch (LOWORD(wParam)) {
        case IDC_MASTERS_LIST:
            if (HIWORD(wParam) != LBN_SELCHANGE || selected < 0) return FALSE;
            SetDlgItemTextW(dialog, IDC_MASTERS_TEXT,
                            WideFromUtf8(choice.masters[static_cast<size_t>(selected)].Text()).c_str());
            Show(dialog, selected);
            return TRUE;
        case IDC_MASTERS_ADD:
        case IDC_MASTERS_CHANGE:
            if (const std::optional<ServerAddress> master = Typed(dialog))
                Put(dialog, *master, LOWORD(wParam) == IDC_MASTERS_CHANGE);
            return TRUE;
        case IDC_MASTERS_REMOVE:
            if (selected < 0) return TRUE;
            choice.masters.erase(choice.masters.begin() + selected);
            Show(dialog, std::min(selected, static_cast<int>(choice.masters.size()) - 1));
            return TRUE;
        case IDC_MASTERS_COMMUNITY:
            for (const ServerAddress& master : CommunityMasters()) Put(dialog, master, false);
            return TRUE;
        case IDOK:
            // A master typed but not added yet is what the user meant to add.
            if (!WindowText(GetDlgItem(dialog, IDC_MASTERS_TEXT)).empty()) {
                const std::optional<ServerAddress> master = Typed(dialog);
                if (!master) return TRUE;
                Put(dialog, *master, false);
            }
            choice.atStart = IsChecked(GetDlgItem(dialog, IDC_MASTERS_AT_START));
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

bool AskMasters(HWND owner, MasterChoice& choice) {
    MastersDialog dialog{choice};
    const INT_PTR chosen =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MASTERS), owner,
                        ObjectDialogProc<MastersDialog>, reinterpret_cast<LPARAM>(&dialog));
    if (chosen != IDOK) return false;
    choice = std::move(dialog.choice);
    return true;
}
