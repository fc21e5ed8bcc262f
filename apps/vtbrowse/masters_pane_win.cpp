#include "apps/vtbrowse/masters_pane_win.h"

#include <algorithm>
#include <utility>

#include "apps/vtbrowse/refresh_tally.h"

namespace {

constexpr UINT FetchMessage = WM_APP + 2;

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
    for (const FetchEvent& event : fetch_.TakeEvents()) {
        if (event.kind == FetchEvent::Kind::Ended) {
            TakeLists(event);
            continue;
        }
        for (const std::wstring& line : fetch_.Tally().Ended(event.outcome)) handlers_.log(line);
    }
    handlers_.fetchChanged();
    return true;
}

void MastersPane::TakeLists(const FetchEvent& ended) {
    const MastersMerge merge = table_.MergeMasterLists(ended.outcomes);
    handlers_.log(fetch_.Tally().End(ended.outcomes, merge, ended.seconds, ended.cancelled));
    handlers_.listChanged();
    // The servers the masters listed are refreshed now, or once the running refresh ends.
    refreshAfter_.insert(refreshAfter_.end(), merge.listed.begin(), merge.listed.end());
    RefreshListed();
}

void MastersPane::RefreshListed() {
    if (refreshAfter_.empty() || handlers_.busy()) return;
    std::vector<ServerId> listed;
    for (const ServerId id : std::exchange(refreshAfter_, {})) {
        if (table_.Find(id) && std::find(listed.begin(), listed.end(), id) == listed.end())
            listed.push_back(id);
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
