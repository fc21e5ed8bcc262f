#include "apps/vtbrowse/refresh_status_win.h"

#include <algorithm>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"

RefreshStatus::RefreshStatus(HWND parent) {
    CreatePane(parent, IDC_STATUS_PANE);
    bar_ = CreateControl(window_.get(), STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, IDC_STATUS);
}

int RefreshStatus::Height() {
    // Told of a size, the bar takes the height its font needs.
    SendMessageW(bar_, WM_SIZE, 0, 0);
    RECT bar{};
    GetWindowRect(bar_, &bar);
    return bar.bottom - bar.top;
}

void RefreshStatus::OnSize(int width, int) {
    SendMessageW(bar_, WM_SIZE, 0, 0);
    const int parts[2] = {std::max(Scaled(100), width - Scaled(220)), -1};
    SendMessageW(bar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

bool RefreshStatus::OnOther(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_NCLBUTTONDOWN && message != WM_NCLBUTTONUP) return false;
    PostMessageW(GetAncestor(window_.get(), GA_ROOT), message, wParam, lParam);
    return true;
}

void RefreshStatus::Show(const RefreshTally& tally, const std::wstring& counts,
                         const std::wstring& fetching) {
    std::wstring activity = tally.Activity();
    if (!fetching.empty()) activity = tally.Running() ? fetching + L"; " + activity : fetching;
    ShowPart(0, activity);
    ShowPart(1, counts);
}

void RefreshStatus::Say(const wchar_t* hint) {
    ShowPart(0, hint);
}

void RefreshStatus::ShowPart(int part, const std::wstring& text) {
    // Shown five times a second while a refresh runs: a part is drawn again only when it changed.
    std::wstring& shown = shown_[part];
    if (shown == text) return;
    shown = text;
    SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(shown.c_str()));
}
