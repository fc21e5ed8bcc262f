// The friends pane: the user's friends (names, "*" for any run of characters) and where each is
// playing after the latest answers; a friend's appearance on a server is told once, by a line in
// the log and a balloon from vtbrowse's notification-area icon. Choosing a line selects its
// server. Works only from the players' tables the refreshes filled: no traffic of its own.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/vtbrowse/friends.h"
#include "apps/vtbrowse/notification_icon_win.h"
#include "apps/vtbrowse/pane_win.h"

class FriendsPane final : public Pane, private TableSubscriber {
public:
    struct Handlers {
        std::function<void(const std::wstring&)> log;
        std::function<void()> friendsChanged;  // Friends() changed: keep them
        // A line, the balloon or the icon was chosen: the main window is brought up first.
        std::function<void(ServerId)> chosen;
        // The notification area took a balloon (title, text).
        std::function<void(const std::wstring&, const std::wstring&)> notified;
    };

    // Hears rows (which outlives the pane) until destroyed.
    FriendsPane(HWND parent, int id, ServerTable& rows, std::vector<std::wstring> friends, Handlers handlers);
    ~FriendsPane();

    const std::vector<std::wstring>& Friends() const { return friends_; }
    // Tells the appearances kept (a log line each, one balloon for them all) and shows where
    // every friend plays now.
    void Tell();

    bool OnEnter(HWND focus) override;

private:
    // Restores and raises the main window, then tells the handler of server.
    void Choose(ServerId server);
    // A ping of row ended: the friends who appeared on it are kept for Tell.
    void RowAnswered(const ServerRow& row, bool alone) override;
    // The servers left the list.
    void RowsRemoved(const std::vector<ServerId>& servers) override;
    void OnCommand(int id, int code) override;
    void OnNotify(const NMHDR& header) override;
    void OnSize(int width, int height) override;
    void OnDpiChanged(int previous) override;
    void AddTyped();
    void RemoveSelected();
    void ShowWhere();
    void ChooseSelected();

    ServerTable& rows_;
    std::vector<std::wstring> friends_;
    Handlers handlers_;
    FriendAppearances appearances_;
    std::vector<FriendSighting> told_;  // appeared since the last Tell
    std::vector<FriendSighting> shown_;
    ServerId lastAppearance_ = 0;
    std::unique_ptr<NotificationIcon> icon_;
};
