// The main window's servers from master servers: the fetch started and cancelled, each master's
// outcome and message of the day in the log, the lists merged into the list (MergeMasterLists
// decides what comes and goes) and the servers they listed refreshed, and the masters dialog.
#include <algorithm>

#include "apps/vtbrowse/browser_window_win.h"
#include "apps/vtbrowse/masters_dialog_win.h"

void BrowserWindow::GetFromMasters() {
    if (fetch_.Tally().Running()) {
        Log(L"The masters are being asked already: wait for them, or cancel (Esc)");
        return;
    }
    if (settings_.masters.empty()) {
        status_->Say(L"Name the master servers to ask first (Masters...)");
        return;
    }
    Log(L"Asking " + Plural(settings_.masters.size(), L"master", L"masters") + L" for their servers");
    fetch_.Start(settings_.masters, MasterTiming{}, window_.get(), FetchMessage);
    UpdateStatus();
}

void BrowserWindow::OnFetchEvents() {
    for (const FetchEvent& event : fetch_.TakeEvents()) {
        if (event.kind == FetchEvent::Kind::Ended) {
            TakeMasterLists(event);
            continue;
        }
        for (const std::wstring& line : fetch_.Tally().Ended(event.outcome)) Log(line);
    }
    UpdateStatus();
}

void BrowserWindow::TakeMasterLists(const FetchEvent& ended) {
    const MastersMerge merge = table_.MergeMasterLists(ended.outcomes);
    Log(fetch_.Tally().End(ended.outcomes, merge, ended.seconds, ended.cancelled));
    UpdateList();
    find_->Update();
    Save();
    // The servers the masters listed are refreshed now, or once the running refresh ends.
    refreshAfter_.insert(refreshAfter_.end(), merge.listed.begin(), merge.listed.end());
    RefreshListedByMasters();
}

void BrowserWindow::RefreshListedByMasters() {
    if (refreshAfter_.empty() || !side_ || status_->Tally().Running()) return;
    std::vector<ServerId> listed;
    for (const ServerId id : std::exchange(refreshAfter_, {})) {
        if (table_.Find(id) && std::find(listed.begin(), listed.end(), id) == listed.end())
            listed.push_back(id);
    }
    if (!listed.empty()) Refresh(listed);
}

void BrowserWindow::ListRestored(const AddedRows& added, const std::wstring& which) {
    if (added.empty()) return;
    Log(L"Listed " + Plural(added.size(), L"server", L"servers") + which);
    UpdateList();
}

void BrowserWindow::EditMasters() {
    MasterChoice choice{settings_.masters, settings_.mastersAtStart};
    if (!AskMasters(window_.get(), choice)) return;
    settings_.masters = std::move(choice.masters);
    settings_.mastersAtStart = choice.atStart;
    Log(Plural(settings_.masters.size(), L"master", L"masters") + L" to get servers from" +
        (settings_.mastersAtStart ? L", asked at start" : L""));
    Save();
}
