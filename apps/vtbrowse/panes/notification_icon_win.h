// vtbrowse's icon in the notification area, there from its first balloon on: a balloon says what
// happened while the user looks elsewhere (a friend appeared); a click on the balloon or the icon
// is reported. Its messages come to a window of its own, one only for messages; its icon is the
// small one at the notification area's scale.
#pragma once

#include <functional>
#include <string>

#include "apps/vtbrowse/framework/message_map_win.h"

class NotificationIcon final : public MessageMap {
public:
    explicit NotificationIcon(std::function<void()> clicked);
    // Takes the icon out of the notification area.
    ~NotificationIcon();
    NotificationIcon(const NotificationIcon&) = delete;
    NotificationIcon& operator=(const NotificationIcon&) = delete;

    // Shows a balloon with title and text, the icon added first when it is not there yet; whether
    // the notification area took it.
    bool Tell(const std::wstring& title, const std::wstring& text);

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    LRESULT OnIconMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    std::function<void()> clicked_;
    owners::unique_hwnd window_;
    owners::unique_icon icon_;  // made when the icon is first added
    bool added_ = false;
};
