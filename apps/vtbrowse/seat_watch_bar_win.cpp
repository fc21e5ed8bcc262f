#include "apps/vtbrowse/seat_watch_bar_win.h"

#include <algorithm>
#include <ctime>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"

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

SeatWatchBar::SeatWatchBar(HWND parent, int id, ServerTable& table, Handlers handlers)
    : table_(table), handlers_(std::move(handlers)) {
    table_.Subscribe(*this);
    CreatePane(parent, id);
    CreateControl(window_.get(), L"Static", IdleLine, SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                  IDC_WATCH_TEXT);
    CreateControl(window_.get(), L"Button", L"Stop &waiting", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                  IDC_WATCH_STOP);
}

SeatWatchBar::~SeatWatchBar() {
    table_.Unsubscribe(*this);
}

const ServerRow* SeatWatchBar::Row() const {
    return watch_ ? table_.Find(watch_->Server()) : nullptr;
}

void SeatWatchBar::Start(ServerId server, SeatWatchPlan plan) {
    if (watch_ && watch_->Watching()) Stop(L"another server is watched now");
    watch_.emplace(server, plan, SeatWatch::Clock::now());
    const ServerRow* row = Row();
    lastRow_ = row ? *row : ServerRow{};
    EnableWindow(GetDlgItem(window_.get(), IDC_WATCH_STOP), TRUE);
    if (handlers_.log) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(plan.every).count();
        handlers_.log(L"Waiting for a seat on " + ServerLabel(lastRow_) + L": a look every " +
                      std::to_wstring(seconds) + L" s; the game starts as soon as a seat is free");
    }
    Act(watch_->Tick(SeatWatch::Clock::now()));
}

void SeatWatchBar::RowAnswered(const ServerRow& row, bool alone) {
    if (!watch_ || row.id != watch_->Server()) return;
    lastRow_ = row;
    if (alone) watch_->PingEnded();
    Act(watch_->Answered(row, SeatWatch::Clock::now()));
}

void SeatWatchBar::CheckFailed(ServerId server) {
    if (!watch_ || server != watch_->Server()) return;
    watch_->PingEnded();
    Act(WatchStep::Nothing);
}

void SeatWatchBar::RowsRemoved(const std::vector<ServerId>& ids) {
    if (!watch_ || !watch_->Watching()) return;
    if (std::find(ids.begin(), ids.end(), watch_->Server()) != ids.end()) Stop(L"the server was removed");
}

void SeatWatchBar::Stop(const wchar_t* why) {
    watch_->Cancel();
    if (handlers_.log) handlers_.log(L"Stopped waiting for a seat on " + ServerLabel(lastRow_) + L": " + why);
    Act(WatchStep::Nothing);
}

void SeatWatchBar::Act(WatchStep step) {
    const ServerId server = watch_->Server();
    switch (step) {
        case WatchStep::Ping:
            if (handlers_.ping) handlers_.ping(server);
            break;
        case WatchStep::Launch:
            if (handlers_.log)
                handlers_.log(L"A seat freed on " + ServerLabel(lastRow_) + L", " +
                              CellText(lastRow_, RowColumn::Players) + L" players: starting the game");
            if (handlers_.launch) handlers_.launch(server);
            break;
        case WatchStep::GiveUp:
            if (handlers_.log) handlers_.log(WatchLine(*watch_, lastRow_, L""));
            break;
        case WatchStep::Nothing:
            break;
    }
    KillTimer(window_.get(), WatchTimer);
    if (watch_->Watching()) {
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(watch_->NextTick() - SeatWatch::Clock::now());
        SetTimer(window_.get(), WatchTimer,
                 static_cast<UINT>(std::clamp<long long>(wait.count(), 10, 3600000)), nullptr);
    }
    EnableWindow(GetDlgItem(window_.get(), IDC_WATCH_STOP), watch_->Watching());
    ShowLine();
}

void SeatWatchBar::ShowLine() {
    const std::wstring line = watch_ ? WatchLine(*watch_, lastRow_, ClockAt(watch_->GivesUpAt())) : IdleLine;
    ShowText(GetDlgItem(window_.get(), IDC_WATCH_TEXT), line);
}

void SeatWatchBar::OnTimer(UINT_PTR timer) {
    if (timer != WatchTimer || !watch_) return;
    Act(watch_->Tick(SeatWatch::Clock::now()));
}

void SeatWatchBar::OnCommand(int id, int code) {
    if (id == IDC_WATCH_STOP && code == BN_CLICKED && watch_ && watch_->Watching())
        Stop(L"asked by the user");
}

void SeatWatchBar::OnSize(int width, int height) {
    PlaceRow(SeatRow, 0, width, height);
}
