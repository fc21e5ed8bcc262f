#include "apps/vtbrowse/command_line/handover_receipt_win.h"

#include <utility>

#include "apps/vtbrowse/command_line/handover.h"

HandoverReceipt::HandoverReceipt(HWND main, PartRoutes& routes, Take take)
    : main_(main), take_(std::move(take)) {
    routed_ = routes.Take(
        {PartRoutes::Message(WM_COPYDATA,
                             [this](WPARAM, LPARAM copy) {
                                 return copy ? Receive(*reinterpret_cast<const COPYDATASTRUCT*>(copy))
                                             : LRESULT{FALSE};
                             }),
         PartRoutes::Message(TakeMessage, [this](WPARAM, LPARAM) {
             TakeNext();
             return LRESULT{0};
         })});
}

LRESULT HandoverReceipt::Receive(const COPYDATASTRUCT& copy) {
    if (!open_ || copy.dwData != HandoverMark) return FALSE;
    std::optional<std::vector<std::string>> arguments = ReadHandover(copy.lpData, copy.cbData);
    if (!arguments || !PostMessageW(main_, TakeMessage, 0, 0)) return FALSE;
    waiting_.push_back(std::move(*arguments));
    if (IsIconic(main_)) ShowWindow(main_, SW_RESTORE);
    // A dialog the window has open keeps the keyboard: it comes forward with it.
    SetForegroundWindow(GetLastActivePopup(main_));
    return TRUE;
}

void HandoverReceipt::TakeNext() {
    if (!open_ || waiting_.empty()) return;
    const std::vector<std::string> arguments = std::move(waiting_.front());
    waiting_.pop_front();
    take_(arguments);
}
