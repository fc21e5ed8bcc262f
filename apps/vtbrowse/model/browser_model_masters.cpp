// The model's masters: which are asked, and a fetch from them counted and taken in.
#include <utility>

#include "apps/vtbrowse/model/browser_model.h"

void BrowserModel::SetMasters(const MasterChoice& choice) {
    Batch batch(*this);
    settings_.masters = choice.masters;
    settings_.mastersAtStart = choice.atStart;
    Log(Plural(choice.masters.size(), L"master", L"masters") + L" to get servers from" +
        (choice.atStart ? L", asked at start" : L""));
    saveWanted_ = true;
}

void BrowserModel::GetFromMasters() {
    Batch batch(*this);
    if (masters_.Running())
        return Log(L"The masters are being asked already: wait for them, or cancel (Esc)");
    const std::vector<ServerAddress>& masters = settings_.masters;
    if (masters.empty()) return Hint(L"Name the master servers to ask first (Masters...)");
    Log(L"Asking " + Plural(masters.size(), L"master", L"masters") + L" for their servers");
    masters_.Start(masters.size());
    pending_.status = true;
    Ask([masters](ModelRequests& requests) { requests.FetchMasters(masters); });
}

void BrowserModel::MasterEnded(const MasterOutcome& outcome, std::vector<std::wstring> said) {
    Batch batch(*this);
    pending_.status = true;
    masters_.Ended(outcome);
    for (std::wstring& line : said) Log(std::move(line));
}

void BrowserModel::MastersFetched(std::vector<MasterOutcome> outcomes, double seconds, bool cancelled) {
    Batch batch(*this);
    AddedRows added;
    std::vector<ServerId> removed;
    bool refreshLeft = false, saveLeft = false;
    masters_.Fetched(table_, std::move(outcomes), seconds, cancelled, added, removed, refreshLeft, saveLeft);
    if (refreshLeft) RefreshListed();
    saveWanted_ |= saveLeft;
    pending_.added.insert(pending_.added.end(), added.begin(), added.end());
    Removed(removed);
}

bool BrowserModel::TakeMasterLists(Clock::time_point until) {
    for (;;) {
        MastersIntake::Step step = MastersIntake::Step::Done;
        {
            Batch batch(*this);
            AddedRows added;
            std::vector<ServerId> removed;
            std::wstring line;
            step = masters_.Next(table_, added, removed, line);
            pending_.added.insert(pending_.added.end(), added.begin(), added.end());
            Removed(removed);
            if (step == MastersIntake::Step::Shown) {
                Log(std::move(line));
                remakeShown_ = pending_.status = true;
            }
            // The servers the masters listed are refreshed now, or once the running refresh ends.
            if (step == MastersIntake::Step::Refresh) RefreshListed();
            if (step == MastersIntake::Step::Save) saveWanted_ = true;
        }
        if (step == MastersIntake::Step::Done) return true;
        if (Clock::now() >= until) return false;
    }
}
