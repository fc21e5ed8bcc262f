#include "apps/vtbrowse/handover_receipt_win.h"

#include <utility>

#include "apps/vtbrowse/handover.h"

namespace {

constexpr UINT TakeMessage = WM_APP + 1;

}  // namespace

HandoverReceipt::HandoverReceipt(HWND main, Take take) : main_(main), take_(std::move(take)) {
    CreatePane(HWND_MESSAGE, 0);
}

LRESULT HandoverReceipt::Receive(const COPYDATASTRUCT& copy) {
    if (!open_ || copy.dwData != HandoverMark) return FALSE;
    std::optional<std::vector<std::string>> arguments = ReadHandover(copy.lpData, copy.cbData);
    if (!arguments || !PostMessageW(window_.get(), TakeMessage, 0, 0)) return FALSE;
    waiting_.push_back(std::move(*arguments));
    if (IsIconic(main_)) ShowWindow(main_, SW_RESTORE);
    // A dialog the window has open keeps the keyboard: it comes forward with it.
    SetForegroundWindow(GetLastActivePopup(main_));
    return TRUE;
}

bool HandoverReceipt::OnOther(UINT message, WPARAM, LPARAM) {
    if (message != TakeMessage) return false;
    if (waiting_.empty()) return true;
    const std::vector<std::string> arguments = std::move(waiting_.front());
    waiting_.pop_front();
    take_(arguments);
    return true;
}
