// The open vtbrowse's side of a hand-over (instance_claim_win.h): a later start's command line
// arrives as WM_COPYDATA to the main window, is read back (handover.h) and queued, and the window
// comes forward (restored if minimized) while the sender still lends it that right. The command
// line is taken a moment later, from the queue, so that the sender never waits on what it starts.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "apps/vtbrowse/pane_win.h"

class HandoverReceipt final : public Pane {
public:
    using Take = std::function<void(const std::vector<std::string>&)>;

    // main is the window that gets the hand-overs; take takes each command line in turn.
    HandoverReceipt(HWND main, Take take);

    // WM_COPYDATA's answer: TRUE when copy held a command line, now queued; FALSE for anything
    // else, and once closing.
    LRESULT Receive(const COPYDATASTRUCT& copy);
    // The window is closing: later command lines are refused, and their senders wait until
    // this vtbrowse has ended to open the next.
    void Close() { open_ = false; }

private:
    bool OnOther(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND main_;
    Take take_;
    bool open_ = true;
    std::deque<std::vector<std::string>> waiting_;
};
