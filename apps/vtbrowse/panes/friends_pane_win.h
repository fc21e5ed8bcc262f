// The friends pane: the user's friends (names, "*" for any run of characters) and where each is
// playing after the latest answers, as the model says; a friend's appearance, which the model
// tells once with a line in the log, comes as a balloon from vtbrowse's notification-area icon.
// Choosing a line, the balloon or the icon selects the server, the main window brought up first.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"
#include "apps/vtbrowse/panes/notification_icon_win.h"

class FriendsPane final : public Pane, private ModelObserver {
public:
    // notified hears each balloon the notification area took (title, text).
    using Notified = std::function<void(const std::wstring&, const std::wstring&)>;

    FriendsPane(HWND parent, BrowserModel& model, Notified notified);
    ~FriendsPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    // The buttons, and Enter in the box (adds) or on the list (chooses).
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void ShowWhere();
    void AddTyped();
    // The line selected, or -1.
    int Selected() const;
    // Restores and raises the main window, then has the model choose server.
    void Choose(ServerId server);

    BrowserModel& model_;
    Notified notified_;
    std::vector<FriendSighting> shown_;
    std::unique_ptr<NotificationIcon> icon_;
};
