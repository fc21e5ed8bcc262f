// The open vtbrowse's side of a hand-over (instance_claim_win.h): a later start's command line
// arrives as WM_COPYDATA to the main window, is read back (handover.h) and queued, and the window
// comes forward (restored if minimized) while the sender still lends it that right. The command
// line is taken a message later (the main window's take message), so that the sender never waits
// on what it starts.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/contract/windows_headers.h"

class HandoverReceipt {
public:
    using Take = std::function<void(const std::vector<std::string>&)>;

    // main gets the hand-overs and the take messages; take takes each command line in turn.
    HandoverReceipt(HWND main, UINT takeMessage, Take take);

    // WM_COPYDATA's answer: TRUE when copy held a command line, now queued; FALSE for anything
    // else, and once closing.
    LRESULT Receive(const COPYDATASTRUCT& copy);
    // The take message: the command line queued first is taken.
    void TakeNext();
    // The window is closing: later command lines are refused, and their senders wait until
    // this vtbrowse has ended to open the next.
    void Close() { open_ = false; }

private:
    HWND main_;
    UINT takeMessage_;
    Take take_;
    bool open_ = true;
    std::deque<std::vector<std::string>> waiting_;
};
