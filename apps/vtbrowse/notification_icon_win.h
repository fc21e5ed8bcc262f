// vtbrowse's icon in the notification area, there from its first message on: a balloon says what
// happened while the user looks elsewhere (a friend appeared); a click on the balloon or the icon
// is reported to the window. Its icon is the small one at the notification area's scale.
#pragma once

#include <functional>
#include <string>

#include "apps/vtbrowse/pane_win.h"

class NotificationIcon final : public Pane {
public:
    explicit NotificationIcon(std::function<void()> clicked);
    // Takes the icon out of the notification area.
    ~NotificationIcon() override;

    // Shows a balloon with title and text, the icon added first when it is not there yet; whether
    // the notification area took it.
    bool Tell(const std::wstring& title, const std::wstring& text);

private:
    bool OnOther(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::function<void()> clicked_;
    owners::unique_icon icon_;  // made when the icon is first added
    bool added_ = false;
};
