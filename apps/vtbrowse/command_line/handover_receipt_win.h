// The open vtbrowse's side of a hand-over (instance_claim_win.h): a later start's command line
// arrives as WM_COPYDATA to the main window, is read back (handover.h) and queued, and the window
// comes forward (restored if minimized) while the sender still lends it that right. The command
// line is taken a message later (TakeMessage), so that the sender never waits on what it starts.
// Both messages come by the main window's routes.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "apps/vtbrowse/framework/part_routes_win.h"
#include "common/contract/windows_headers.h"

class HandoverReceipt {
public:
    using Take = std::function<void(const std::vector<std::string>&)>;
    static constexpr UINT TakeMessage = WM_APP + 3;

    // main gets the hand-overs and the take messages, which its routes bring here; take takes
    // each command line in turn.
    HandoverReceipt(HWND main, PartRoutes& routes, Take take);

    // The window is closing: later command lines are refused, and their senders wait until
    // this vtbrowse has ended to open the next.
    void Close() { open_ = false; }

private:
    // WM_COPYDATA's answer: TRUE when copy held a command line, now queued; FALSE for anything
    // else, and once closing.
    LRESULT Receive(const COPYDATASTRUCT& copy);
    // The take message: the command line queued first is taken.
    void TakeNext();

    HWND main_;
    Take take_;
    bool open_ = true;
    std::deque<std::vector<std::string>> waiting_;
    PartRoutes::Taken routed_;
};
