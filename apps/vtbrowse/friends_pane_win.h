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

class FriendsPane final : public Pane {
public:
    struct Handlers {
        std::function<void(const std::wstring&)> log;
        std::function<void()> friendsChanged;  // Friends() changed: keep them
        std::function<void(ServerId)> chosen;  // a line, the balloon or the icon was chosen
        // The notification area took a balloon (title, text).
        std::function<void(const std::wstring&, const std::wstring&)> notified;
    };

    // rows outlives the pane.
    FriendsPane(HWND parent, int id, const std::vector<ServerRow>& rows, std::vector<std::wstring> friends,
                Handlers handlers);

    const std::vector<std::wstring>& Friends() const { return friends_; }
    // A ping of row ended: the friends who appeared on it are kept for Tell.
    void Answered(const ServerRow& row);
    // Tells the appearances kept (a log line each, one balloon for them all) and shows where
    // every friend plays now.
    void Tell();
    // The servers left the list (rows no longer has them).
    void Forget(const std::vector<ServerId>& servers);

    bool OnEnter(HWND focus) override;

private:
    void OnCommand(int id, int code) override;
    void OnNotify(const NMHDR& header) override;
    void OnSize(int width, int height) override;
    void AddTyped();
    void RemoveSelected();
    void ShowWhere();
    void ChooseSelected();

    const std::vector<ServerRow>& rows_;
    std::vector<std::wstring> friends_;
    Handlers handlers_;
    FriendAppearances appearances_;
    std::vector<FriendSighting> told_;  // appeared since the last Tell
    std::vector<FriendSighting> shown_;
    ServerId lastAppearance_ = 0;
    std::unique_ptr<NotificationIcon> icon_;
};
