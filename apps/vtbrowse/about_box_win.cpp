#include "apps/vtbrowse/about_box_win.h"

#include "apps/shared/product_version.h"
#include "apps/vtbrowse/browser_ids.h"
#include "host/text/utf8_text.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto& pluginPath = *reinterpret_cast<const std::wstring*>(lParam);
        const wchar_t* build = sizeof(void*) == 8 ? L" (64-bit)" : L" (32-bit)";
        SetDlgItemTextW(dialog, IDC_ABOUT_NAME,
                        (L"vtbrowse " + WideFromUtf8(ProductVersion()) + build).c_str());
        SetDlgItemTextW(dialog, IDC_ABOUT_PLUGIN, (L"Plugin: " + pluginPath).c_str());
        SetDlgItemTextW(dialog, IDC_ABOUT_COPYRIGHT, WideFromUtf8(ProductCopyright()).c_str());
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void AddAboutItem(HWND window) {
    const HMENU menu = GetSystemMenu(window, FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, AboutCommand, L"About vtbrowse...");
}

void ShowAboutBox(HWND owner, const std::wstring& pluginPath) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc,
                    reinterpret_cast<LPARAM>(&pluginPath));
}
