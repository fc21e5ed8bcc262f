// The row of buttons at the top of the window, with the automatic refresh ("Auto refresh every N s"):
// a pane. The buttons' commands go to the window as its accelerators' do; the bar keeps the
// period, checks it against its range, runs its timer and says when a refresh is due. It shows
// which commands can run now.
#pragma once

#include <functional>
#include <string>

#include "apps/vtbrowse/pane_win.h"

class CommandBar final : public Pane {
public:
    struct Handlers {
        std::function<void(int)> command;            // a button's command id
        std::function<void(bool, int)> autoChanged;  // the automatic refresh on or off, its period
        std::function<void()> due;                   // the period went by
        std::function<void(const std::wstring&)> log;
    };

    CommandBar(HWND parent, bool autoRefresh, int seconds, Handlers handlers);

    // The period in seconds while the automatic refresh is on, else 0.
    int AutoSeconds() const { return autoRefresh_ ? seconds_ : 0; }
    // Enables the refresh buttons when a refresh can start, the cancel button when something
    // runs that is not being cancelled.
    void ShowRunning(bool canRefresh, bool canCancel);

private:
    void OnCommand(int id, int code) override;
    void OnTimer(UINT_PTR timer) override;
    void OnSize(int width, int height) override;
    // Takes the period typed and the box ticked, restarts the timer and reports them.
    void ApplyAutoRefresh();

    Handlers handlers_;
    bool autoRefresh_;
    int seconds_;
};
