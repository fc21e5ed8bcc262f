// The model's friends, and joining a server: at once, or once a seat watch finds a seat.
#include <algorithm>
#include <utility>

#include "apps/vtbrowse/model/browser_model.h"

bool BrowserModel::AddFriend(std::wstring name) {
    name.erase(0, name.find_first_not_of(L" \t"));
    name.erase(name.find_last_not_of(L" \t") + 1);
    if (name.empty()) return false;
    std::vector<std::wstring>& friends = settings_.friends;
    if (std::find(friends.begin(), friends.end(), name) != friends.end()) return true;
    Batch batch(*this);
    friends.push_back(std::move(name));
    // Where a friend plays already is shown, not told as news.
    appearances_.SeeAll(table_, friends);
    pending_.friends = saveWanted_ = true;
    return true;
}

void BrowserModel::RemoveFriend(const std::wstring& pattern) {
    Batch batch(*this);
    std::vector<std::wstring>& friends = settings_.friends;
    friends.erase(std::remove(friends.begin(), friends.end(), pattern), friends.end());
    appearances_.SeeAll(table_, friends);
    pending_.friends = saveWanted_ = true;
}

// The appearances kept, a log line each and one balloon for them all; and where every friend
// plays now.
void BrowserModel::TellFriends() {
    pending_.friends = true;
    if (told_.empty()) return;
    for (const FriendSighting& sighting : told_) {
        const std::wstring line = AppearanceText(sighting);
        Log(L"Friend online: " + line);
        pending_.balloonText += (pending_.balloonText.empty() ? L"" : L"\n") + line;
    }
    pending_.balloonTitle = told_.size() == 1 ? L"A friend is playing" : L"Friends are playing";
    lastAppearance_ = told_.back().server;
    told_.clear();
}

bool BrowserModel::ReadyToJoin(ServerId id, bool waitForSeat) {
    Batch batch(*this);
    if (!table_.Find(id)) {
        Hint(waitForSeat ? L"Select the full server to wait for first" : L"Select the server to join first");
        return false;
    }
    if (!pluginLoaded_) {
        Log(L"Cannot join: Tribes.vtplugin could not be loaded (see above)");
        return false;
    }
    return true;
}

JoinChoice BrowserModel::JoinChoiceFor(ServerId id) const {
    JoinChoice choice{settings_.join, {}, settings_.seatWatchSeconds, settings_.seatWatchGiveUpMinutes};
    if (const ServerRow* row = table_.Find(id)) {
        const auto values = settings_.optionValues.find(row->address.Text());
        if (values != settings_.optionValues.end()) choice.optionValues = values->second;
    }
    return choice;
}

void BrowserModel::Join(ServerId id, const JoinChoice& choice, bool waitForSeat) {
    const ServerRow* row = table_.Find(id);
    if (!row) return;
    Batch batch(*this);
    settings_.join = choice.join;
    settings_.optionValues[row->address.Text()] = choice.optionValues;
    settings_.seatWatchSeconds = choice.watchEverySeconds;
    settings_.seatWatchGiveUpMinutes = choice.watchGiveUpMinutes;
    saveWanted_ = true;
    if (!waitForSeat) return Launch(id);
    const SeatWatchPlan plan{std::chrono::seconds(choice.watchEverySeconds),
                             std::chrono::minutes(choice.watchGiveUpMinutes)};
    Act(seat_.Start(id, row, plan, Clock::now(), pending_.log));
}

// The game started on id with the join settings kept and the values given its options.
void BrowserModel::Launch(ServerId id) {
    const ServerRow* row = table_.Find(id);
    if (!row || !pluginLoaded_) return;
    const auto kept = settings_.optionValues.find(row->address.Text());
    const std::map<int, std::wstring> values =
        kept == settings_.optionValues.end() ? std::map<int, std::wstring>{} : kept->second;
    Ask([id, join = settings_.join, values](ModelRequests& requests) { requests.Launch(id, join, values); });
}

void BrowserModel::StopWatching() {
    Batch batch(*this);
    if (seat_.Stop(L"asked by the user", pending_.log)) Act(WatchStep::Nothing);
}

void BrowserModel::WatchTick() {
    Batch batch(*this);
    Act(seat_.Tick(Clock::now(), pending_.log));
}

// What the seat watch does now: ping its server, or start the game; its line changes.
void BrowserModel::Act(WatchStep step) {
    const ServerId server = seat_.Watch() ? seat_.Watch()->Server() : 0;
    if (step == WatchStep::Ping) Ask([server](ModelRequests& requests) { requests.Check(server); });
    if (step == WatchStep::Launch) Launch(server);
    pending_.seatWatch = true;
}
