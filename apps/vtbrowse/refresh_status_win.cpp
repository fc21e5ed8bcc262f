#include "apps/vtbrowse/refresh_status_win.h"

#include <algorithm>

#include "apps/vtbrowse/controls_win.h"

RefreshStatus::RefreshStatus(HWND parent, int id)
    : bar_(CreateControl(parent, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, id)) {}

int RefreshStatus::Layout(int width) {
    SendMessageW(bar_, WM_SIZE, 0, 0);
    RECT bar;
    GetWindowRect(bar_, &bar);
    const int parts[2] = {std::max(100, width - 220), -1};
    SendMessageW(bar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    return bar.bottom - bar.top;
}

void RefreshStatus::Show(const RefreshTally& tally, const std::wstring& counts,
                         const std::wstring& fetching) {
    std::wstring activity = tally.Activity();
    if (!fetching.empty()) activity = tally.Running() ? fetching + L"; " + activity : fetching;
    SendMessageW(bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(activity.c_str()));
    SendMessageW(bar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(counts.c_str()));
}

void RefreshStatus::Say(const wchar_t* hint) {
    SendMessageW(bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(hint));
}
