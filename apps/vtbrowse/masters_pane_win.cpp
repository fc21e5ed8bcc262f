#include "apps/vtbrowse/masters_pane_win.h"

#include <chrono>
#include <unordered_set>
#include <utility>

#include "apps/vtbrowse/refresh_tally.h"

namespace {

constexpr UINT FetchMessage = WM_APP + 2;
// A fetch's lists are taken in a step at a time, as many steps to a timer message as fit in
// MergeSliceTime: slices of the merge (the clock read every MergeRowsAtOnce rows), the list
// shown, the servers listed refreshed, the settings saved. The system hands a timer's message
// over only when no input, painting or other message waits, so the window answers between steps
// however long the lists; a short list is taken in at once.
constexpr UINT_PTR MergeTimer = 1;
constexpr auto MergeSliceTime = std::chrono::milliseconds(15);
constexpr size_t MergeRowsAtOnce = 1024;

}  // namespace

MastersPane::MastersPane(HWND owner, ServerTable& table, MasterChoice choice, Handlers handlers)
    : owner_(owner), table_(table), choice_(std::move(choice)), handlers_(std::move(handlers)) {
    CreatePane(HWND_MESSAGE, 0);
}

void MastersPane::Fetch() {
    if (fetch_.Tally().Running()) {
        handlers_.log(L"The masters are being asked already: wait for them, or cancel (Esc)");
        return;
    }
    if (choice_.masters.empty()) {
        handlers_.hint(L"Name the master servers to ask first (Masters...)");
        return;
    }
    handlers_.log(L"Asking " + Plural(choice_.masters.size(), L"master", L"masters") + L" for their servers");
    fetch_.Start(choice_.masters, MasterTiming{}, window_.get(), FetchMessage);
    handlers_.fetchChanged();
}

bool MastersPane::OnOther(UINT message, WPARAM, LPARAM) {
    if (message != FetchMessage) return false;
    for (FetchEvent& event : fetch_.TakeEvents()) {
        if (event.kind == FetchEvent::Kind::Ended) {
            TakeLists(std::move(event));
            continue;
        }
        for (const std::wstring& line : fetch_.Tally().Ended(event.outcome)) handlers_.log(line);
    }
    handlers_.fetchChanged();
    return true;
}

void MastersPane::TakeLists(FetchEvent ended) {
    // What the last fetch has still to do (a fetch cannot end while the one before merges).
    if (taking_ == Taking::Refreshing) RefreshListed();
    if (taking_ == Taking::Refreshing || taking_ == Taking::Saving) handlers_.save();
    fetchSeconds_ = ended.seconds;
    fetchCancelled_ = ended.cancelled;
    table_.StartMerge(std::move(ended.outcomes));
    taking_ = Taking::Merging;
    if (!TakeListsOn()) SetTimer(window_.get(), MergeTimer, USER_TIMER_MINIMUM, nullptr);
}

void MastersPane::OnTimer(UINT_PTR timer) {
    if (timer == MergeTimer && TakeListsOn()) KillTimer(window_.get(), MergeTimer);
}

bool MastersPane::TakeListsOn() {
    const auto start = std::chrono::steady_clock::now();
    const auto spent = [&] { return std::chrono::steady_clock::now() - start >= MergeSliceTime; };
    while (taking_ == Taking::Merging) {
        if (table_.MergeSlice(MergeRowsAtOnce)) {
            taking_ = Taking::Showing;
        } else if (spent()) {
            return false;
        }
    }
    if (taking_ == Taking::Showing) {
        if (spent()) return false;
        std::vector<MasterOutcome> outcomes;
        const MastersMerge merge = table_.TakeMerge(outcomes);
        handlers_.log(fetch_.Tally().End(outcomes, merge, fetchSeconds_, fetchCancelled_));
        handlers_.listChanged();
        refreshAfter_.insert(refreshAfter_.end(), merge.listed.begin(), merge.listed.end());
        taking_ = Taking::Refreshing;
    }
    if (taking_ == Taking::Refreshing) {
        if (spent()) return false;
        // The servers the masters listed are refreshed now, or once the running refresh ends.
        RefreshListed();
        taking_ = Taking::Saving;
    }
    if (taking_ == Taking::Saving) {
        if (spent()) return false;
        handlers_.save();
        taking_ = Taking::Nothing;
    }
    return true;
}

void MastersPane::RefreshListed() {
    if (refreshAfter_.empty() || handlers_.busy()) return;
    std::vector<ServerId> listed;
    std::unordered_set<ServerId> seen;  // a fetch lists tens of thousands: no search of listed for each
    for (const ServerId id : std::exchange(refreshAfter_, {})) {
        if (table_.Find(id) && seen.insert(id).second) listed.push_back(id);
    }
    if (!listed.empty()) handlers_.refresh(listed);
}

void MastersPane::Edit() {
    MasterChoice choice = choice_;
    if (!AskMasters(owner_, choice)) return;
    choice_ = std::move(choice);
    handlers_.log(Plural(choice_.masters.size(), L"master", L"masters") + L" to get servers from" +
                  (choice_.atStart ? L", asked at start" : L""));
    handlers_.chosen(choice_);
}
