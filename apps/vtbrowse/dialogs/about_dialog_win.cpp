#include "apps/vtbrowse/dialogs/about_dialog_win.h"

#include "apps/shared/product_version.h"
#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "host/text/utf8_text.h"

namespace {

// The box's object: the plugin file it names.
class AboutDialog final : public MessageMap {
public:
    explicit AboutDialog(const std::wstring& pluginPath) : pluginPath_(pluginPath) {}

    BOOL ProcessWindowMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override {
        dialog_ = dialog;
        return TakeMessage(
            *this, {{WM_INITDIALOG, &AboutDialog::OnInitDialog}, {WM_COMMAND, &AboutDialog::OnCommand}},
            message, wParam, lParam, result);
    }

private:
    // The texts that name the version (the product's, UTF-8), the plugin file and the copyright.
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
        const wchar_t* build = sizeof(void*) == 8 ? L" (64-bit)" : L" (32-bit)";
        SetDlgItemTextW(dialog_, IDC_ABOUT_NAME,
                        (L"vtbrowse " + WideFromUtf8(ProductVersion()) + build).c_str());
        SetDlgItemTextW(dialog_, IDC_ABOUT_PLUGIN, (L"Plugin: " + pluginPath_).c_str());
        SetDlgItemTextW(dialog_, IDC_ABOUT_COPYRIGHT, WideFromUtf8(ProductCopyright()).c_str());
        return TRUE;
    }

    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
        handled = LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
        if (handled) EndDialog(dialog_, LOWORD(wParam));
        return 0;
    }

    const std::wstring& pluginPath_;
    HWND dialog_ = nullptr;
};

}  // namespace

void AddAboutItem(HWND window) {
    const HMENU menu = GetSystemMenu(window, FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, AboutCommand, L"About vtbrowse...");
}

void ShowAboutBox(HWND owner, const std::wstring& pluginPath) {
    AboutDialog dialog(pluginPath);
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner, MapDialogProc<AboutDialog>,
                    reinterpret_cast<LPARAM>(&dialog));
}
