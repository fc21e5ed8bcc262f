// The find-a-player window: a modeless dialog that lists where a name is playing, searching the
// user tables of every server as the user types. Choosing a line selects its server.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/vtbrowse/player_search.h"
#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"

class FindPlayerWindow {
public:
    using Search = std::function<std::vector<PlayerSighting>(const std::wstring&)>;
    using Choose = std::function<void(ServerId)>;

    FindPlayerWindow(HWND owner, Search search, Choose choose);
    FindPlayerWindow(const FindPlayerWindow&) = delete;
    FindPlayerWindow& operator=(const FindPlayerWindow&) = delete;

    HWND Window() const { return dialog_.get(); }
    // For the message loop: true when message was a dialog key of the window, shown.
    bool PreTranslate(MSG& message) {
        return dialog_ && IsWindowVisible(dialog_.get()) && IsDialogMessageW(dialog_.get(), &message);
    }
    // Shows the window, searched anew, with the search text selected for typing.
    void Open();
    // Searches again: the servers' tables changed.
    void Update();

    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void ChooseSelected();
    void Layout();

    Search search_;
    Choose choose_;
    std::vector<PlayerSighting> found_;
    int dpi_ = 96;
    owners::unique_hwnd dialog_;
};
