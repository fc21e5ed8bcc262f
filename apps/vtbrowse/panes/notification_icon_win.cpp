#include "apps/vtbrowse/panes/notification_icon_win.h"

#include <shellapi.h>

#include "apps/vtbrowse/framework/display_scale_win.h"

namespace {

constexpr UINT IconId = 1;
constexpr UINT IconMessage = WM_APP + 1;
constexpr const wchar_t* IconClass = L"VtbrowseNotificationIcon";

}  // namespace

BOOL NotificationIcon::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    FollowWindow(window_, window, message);
    return TakeMessage(*this, {{IconMessage, &NotificationIcon::OnIconMessage}}, message, wParam, lParam,
                       result);
}

namespace {

NOTIFYICONDATAW IconData(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = IconId;
    return data;
}

// Copies text into a fixed field of the icon's data, cut to fit.
template <size_t Size>
void CopyInto(wchar_t (&field)[Size], const std::wstring& text) {
    const size_t copied = text.copy(field, Size - 1);
    field[copied] = L'\0';
}

}  // namespace

NotificationIcon::NotificationIcon(std::function<void()> clicked) : clicked_(std::move(clicked)) {
    static const owners::unique_window_class registered = RegisterMapClass<NotificationIcon>(IconClass);
    CreateWindowExW(0, IconClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
}

NotificationIcon::~NotificationIcon() {
    if (!added_) return;
    NOTIFYICONDATAW data = IconData(window_.get());
    Shell_NotifyIconW(NIM_DELETE, &data);
}

bool NotificationIcon::Tell(const std::wstring& title, const std::wstring& text) {
    NOTIFYICONDATAW data = IconData(window_.get());
    if (!added_) {
        data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        data.uCallbackMessage = IconMessage;
        if (!icon_) icon_ = SmallApplicationIcon();
        data.hIcon = icon_.get();
        CopyInto(data.szTip, L"vtbrowse: Tribes servers");
        added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
        if (!added_) return false;
    }
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    CopyInto(data.szInfoTitle, title);
    CopyInto(data.szInfo, text);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

LRESULT NotificationIcon::OnIconMessage(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const UINT event = LOWORD(lParam);
    if ((event == NIN_BALLOONUSERCLICK || event == WM_LBUTTONUP) && clicked_) clicked_();
    return 0;
}
