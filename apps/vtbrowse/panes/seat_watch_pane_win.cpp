#include "apps/vtbrowse/panes/seat_watch_pane_win.h"

#include <algorithm>
#include <ctime>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/panes/pane_rows.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL SeatWatchPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
    return TakeMessage(*this,
                       {{WM_COMMAND, &SeatWatchPane::OnCommand},
                        {WM_TIMER, &SeatWatchPane::OnTimer},
                        {WM_SIZE, &SeatWatchPane::OnSize}},
                       message, wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

namespace {

constexpr UINT_PTR WatchTimer = 1;
constexpr const wchar_t* IdleLine = L"Server full? Right-click it and choose Join when a seat frees.";

// The time of day when the watch gives up, as the user's clock shows it.
std::wstring ClockAt(SeatWatch::Clock::time_point when) {
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(when - SeatWatch::Clock::now());
    const std::time_t at =
        std::time(nullptr) + static_cast<std::time_t>(std::max<long long>(left.count(), 0));
    wchar_t text[16] = L"";
    if (const std::tm* local = std::localtime(&at)) std::wcsftime(text, 16, L"%H:%M", local);
    return text;
}

}  // namespace

SeatWatchPane::SeatWatchPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_SEAT_WATCH);
    CreateControl(window_.get(), L"Static", IdleLine, SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                  IDC_WATCH_TEXT);
    CreateControl(window_.get(), L"Button", L"Stop &waiting", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                  IDC_WATCH_STOP);
    model_.Subscribe(*this);
}

SeatWatchPane::~SeatWatchPane() {
    model_.Unsubscribe(*this);
}

// The line, the button, and the timer set for the watch's next tick.
void SeatWatchPane::Changed(const ModelChange& change) {
    const SeatWatch* watch = model_.Seat().Watch();
    if (!change.seatWatch || !watch) return;
    KillTimer(window_.get(), WatchTimer);
    if (watch->Watching()) {
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(watch->NextTick() - SeatWatch::Clock::now());
        SetTimer(window_.get(), WatchTimer,
                 static_cast<UINT>(std::clamp<long long>(wait.count(), 10, 3600000)), nullptr);
    }
    EnableWindow(GetDlgItem(window_.get(), IDC_WATCH_STOP), watch->Watching());
    ShowText(GetDlgItem(window_.get(), IDC_WATCH_TEXT), model_.Seat().Line(ClockAt(watch->GivesUpAt())));
}

LRESULT SeatWatchPane::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = LOWORD(wParam) == IDC_WATCH_STOP && HIWORD(wParam) == BN_CLICKED;
    if (handled) model_.StopWatching();
    return 0;
}

LRESULT SeatWatchPane::OnTimer(UINT, WPARAM timer, LPARAM, BOOL&) {
    if (timer == WatchTimer) model_.WatchTick();
    return 0;
}

LRESULT SeatWatchPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    PlaceRow(SeatRow, 0, LOWORD(lParam), HIWORD(lParam));
    return 0;
}
