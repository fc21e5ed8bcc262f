// The main window's commands, from its buttons and accelerators, that go to the model, asking the
// user first where they need to (add servers, import a list, the masters, find a player), and the
// About box of its system menu: a part that owns no window, whose commands come by the window's
// routes. The find window is its own, and it lets the message loop hand it its dialog keys.
#pragma once

#include <memory>
#include <string>

#include "apps/vtbrowse/dialogs/find_player_dialog_win.h"
#include "apps/vtbrowse/framework/part_routes_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class WindowCommands {
public:
    // window is the main window, over which the dialogs open; the About box names pluginPath.
    WindowCommands(HWND window, PartRoutes& routes, BrowserModel& model, std::wstring pluginPath);

    // For the message loop: true when message was a dialog key of the find window, shown.
    bool PreTranslate(MSG& message) { return find_.PreTranslate(message); }

private:
    void Add();
    void Import();
    void ChooseMasters();

    HWND window_;
    BrowserModel& model_;
    const std::wstring pluginPath_;
    FindPlayerDialog find_;
    PartRoutes::Taken routed_;  // last: it goes first
};
