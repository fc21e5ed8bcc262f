#include "apps/vtbrowse/model/browser_model.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "apps/shared/server_list.h"
#include "apps/shared/usable_address.h"
#include "apps/vtbrowse/model/player_filters.h"
#include "apps/vtbrowse/settings/settings_file.h"
#include "host/text/utf8_text.h"

namespace {

// At most this many notices in a row, the changes their observers made included.
constexpr int MostRounds = 100;

}  // namespace

// Every public change opens one; the outermost delivers what the call did as one notice.
class BrowserModel::Batch {
public:
    explicit Batch(BrowserModel& model) : model_(model) { ++model_.depth_; }
    ~Batch() {
        if (--model_.depth_ == 0) model_.Deliver();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    BrowserModel& model_;
};

BrowserModel::BrowserModel(std::filesystem::path settingsPath, const std::vector<std::string>& problems)
    : settingsPath_(std::move(settingsPath)) {
    for (const std::string& problem : problems) heldLog_.push_back(WideFromUtf8(problem));
    for (std::wstring& line : LoadSettingsKeepingUnread(settingsPath_, settings_))
        heldLog_.push_back(std::move(line));
}

void BrowserModel::Subscribe(ModelObserver& observer) {
    observers_.push_back(&observer);
}

void BrowserModel::Unsubscribe(ModelObserver& observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), &observer), observers_.end());
}

void BrowserModel::Connect(ModelRequests& requests, bool pluginLoaded) {
    requests_ = &requests;
    pluginLoaded_ = pluginLoaded;
}

namespace {

bool Told(const ModelChange& c) {
    return !c.added.empty() || !c.removed.empty() || !c.answered.empty() || c.shown || c.focus || c.chosen ||
           c.refreshEnded || c.choices || c.friends || c.seatWatch || c.handedBack || c.settings ||
           c.status || !c.log.empty() || !c.hint.empty() || !c.balloonText.empty();
}

}  // namespace

bool BrowserModel::HasNews() const {
    return Told(pending_) || !asked_.empty() || saveWanted_ || remakeShown_ || !answeredSince_.empty();
}

// The notice, then what was asked; an observer's change of the model makes one more round.
void BrowserModel::Deliver() {
    if (delivering_) return;
    delivering_ = true;
    for (int round = 0; round < MostRounds && HasNews(); ++round) {
        UpdateShown();
        if (std::exchange(saveWanted_, false)) Save();
        const ModelChange change = std::exchange(pending_, {});
        const auto asked = std::exchange(asked_, {});
        if (Told(change)) {
            for (ModelObserver* observer : std::vector<ModelObserver*>(observers_)) observer->Changed(change);
        }
        for (const auto& request : asked) {
            if (requests_) request(*requests_);
        }
    }
    delivering_ = false;
    // The dialog waits for the user: every notice of this call is out before it opens.
    if (const ServerId join = std::exchange(joinAsked_, 0); join && requests_) requests_->AskJoin(join);
}

// The list's order made again when rows, the filter or the order changed; after answers, merged
// anew only when one moved a row or changed whether it shows. A fetch's slices change rows
// without it: its list is shown once the merge ends.
void BrowserModel::UpdateShown() {
    if (std::exchange(remakeShown_, false)) {
        shown_.Make(table_, settings_.filter, settings_.order);
        pending_.shown = true;
    } else if (!answeredSince_.empty() && !shown_.StillHolds(table_, answeredSince_)) {
        shown_.Reorder(table_, answeredSince_);
        pending_.shown = true;
    }
    answeredSince_.clear();
}

void BrowserModel::Save() {
    // Nothing to save before the servers of the file are listed again.
    if (!started_) return;
    table_.StoreOrigins(settings_.servers, settings_.listed);
    settings_.favourites = table_.FavouriteAddresses();
    std::string error;
    if (!SaveSettingsFile(settingsPath_, settings_, error))
        Log(L"Settings not saved: " + WideFromUtf8(error));
}

void BrowserModel::Log(std::wstring text) {
    Batch batch(*this);
    pending_.log.push_back(std::move(text));
}

void BrowserModel::Listed(const AddedRows& added, const std::wstring& before, const std::wstring& after) {
    if (added.empty()) return;
    pending_.added.insert(pending_.added.end(), added.begin(), added.end());
    remakeShown_ = true;
    Log(before + Plural(added.size(), L"server", L"servers") + after);
}

void BrowserModel::Start(const BrowseOptions& options) {
    Batch batch(*this);
    for (std::wstring& line : std::exchange(heldLog_, {})) pending_.log.push_back(std::move(line));
    std::vector<ServerAddress> servers = settings_.servers;
    servers.insert(servers.end(), options.servers.begin(), options.servers.end());
    Add(servers);
    Listed(table_.RestoreListed(settings_.listed), L"Listed ", L" the masters gave before");
    Listed(table_.RestoreFavourites(settings_.favourites), L"Listed ",
           L" of favourites no master lists any more");
    started_ = true;
    TakeCommandLine(options);
}

void BrowserModel::TakeHandedOver(const BrowseOptions& options) {
    Batch batch(*this);
    Log(L"vtbrowse was started again: its command line is taken here");
    for (const std::string& problem : options.problems) Log(WideFromUtf8(problem));
    if (!options.pluginPath.empty() || options.mostSessions != 0)
        Log(L"--plugin and --most-sessions are taken when vtbrowse starts: this window keeps its own");
    Add(options.servers);
    TakeCommandLine(options);
}

void BrowserModel::TakeCommandLine(const BrowseOptions& options) {
    for (const std::string& file : options.serverFiles) Import(file);
    if (options.select) {
        if (const ServerRow* row = table_.Find(*options.select)) Choose(row->id);
    }
    saveWanted_ = true;
    // A later start's servers, handed over while a refresh runs, are refreshed once it ended.
    refreshAfter_ = !table_.Empty() && Refreshing();
    if (!table_.Empty() && !refreshAfter_) RefreshAll();
    if (options.join) QuickJoin(*options.join);
}

void BrowserModel::Add(const std::vector<ServerAddress>& servers) {
    Batch batch(*this);
    Listed(table_.AddByHand(servers), L"Added ",
           Refreshing() ? L"; they are refreshed after the running refresh" : L"");
    saveWanted_ = true;  // a server the masters listed may be one added by hand now
}

void BrowserModel::Import(const std::string& path) {
    Batch batch(*this);
    saveWanted_ = true;
    std::vector<ServerAddress> servers;
    ServerListError error;
    if (!ReadServerListFile(path, servers, error, ParseUsableServerAddress))
        return Log(L"Nothing imported: " + WideFromUtf8(error.message));
    Log(L"Read " + Plural(servers.size(), L"server", L"servers") + L" from " + WideFromUtf8(path));
    Add(WithoutDuplicates(servers));
}

void BrowserModel::Remove(const std::vector<ServerId>& ids) {
    Batch batch(*this);
    const std::vector<ServerId> removed = table_.Remove(ids);
    if (removed.empty()) return;
    Log(L"Removed " + Plural(removed.size(), L"server", L"servers"));
    Removed(removed);
    saveWanted_ = true;
}

// What goes with rows taken off: their place in the list, the details, a watch of one of them,
// the friends seen on them.
void BrowserModel::Removed(const std::vector<ServerId>& ids) {
    if (ids.empty()) return;
    pending_.removed.insert(pending_.removed.end(), ids.begin(), ids.end());
    if (!table_.Merging()) remakeShown_ = true;
    if (std::find(ids.begin(), ids.end(), focused_) != ids.end()) {
        focused_ = 0;
        pending_.focus = true;
    }
    const SeatWatch* watch = seat_.Watch();
    if (watch && std::find(ids.begin(), ids.end(), watch->Server()) != ids.end() &&
        seat_.Stop(L"the server was removed", pending_.log))
        Act(WatchStep::Nothing);
    for (const ServerId id : ids) appearances_.Forget(id);
    pending_.friends = true;
}

void BrowserModel::ToggleFavourites(const std::vector<ServerId>& ids) {
    Batch batch(*this);
    table_.ToggleFavourites(ids);
    remakeShown_ = true;
    saveWanted_ = true;
}

void BrowserModel::Refresh(const std::vector<ServerId>& ids) {
    Batch batch(*this);
    if (!pluginLoaded_) return Log(L"Cannot refresh: Tribes.vtplugin could not be loaded (see above)");
    if (Refreshing()) return Log(L"A refresh is running: wait for it, or cancel it (Esc)");
    if (ids.empty())
        return Hint(table_.Empty() ? L"Add servers first (Add..., Import...)"
                                   : L"Select the servers to refresh first");
    tally_.Start(ids.size());
    pending_.status = true;
    Ask([ids](ModelRequests& requests) { requests.Refresh(ids); });
}

void BrowserModel::RefreshDue() {
    if (!Refreshing() && !table_.Empty()) RefreshAll();
}

void BrowserModel::Cancel() {
    Batch batch(*this);
    pending_.status = true;
    if (masters_.Running() && !masters_.Cancelling()) {
        masters_.Cancel();
        Ask([](ModelRequests& requests) { requests.CancelFetch(); });
    }
    if (Refreshing()) {
        tally_.Cancel();
        Ask([](ModelRequests& requests) { requests.CancelRefresh(); });
    }
}

bool BrowserModel::CanCancel() const {
    return (tally_.Running() && !tally_.Cancelling()) || (masters_.Running() && !masters_.Cancelling());
}

void BrowserModel::Focus(ServerId id) {
    if (id == focused_) return;
    Batch batch(*this);
    focused_ = id;
    pending_.focus = true;
}

void BrowserModel::Choose(ServerId id) {
    Batch batch(*this);
    UpdateShown();
    if (!shown_.PlaceOf(id)) return;
    focused_ = id;
    pending_.focus = true;
    pending_.chosen = id;
}

void BrowserModel::SortBy(RowColumn column) {
    Batch batch(*this);
    RowOrder& order = settings_.order;
    order.descending = order.column == column && !order.descending;
    order.column = column;
    remakeShown_ = saveWanted_ = true;
}

void BrowserModel::SetFilter(const RowFilter& filter) {
    Batch batch(*this);
    settings_.filter = filter;
    remakeShown_ = saveWanted_ = true;
}

void BrowserModel::SetColumnWidths(const std::vector<int>& widths) {
    Batch batch(*this);
    settings_.columnWidths = widths;
    saveWanted_ = true;
}

void BrowserModel::SetAutoRefresh(bool on, long seconds) {
    Batch batch(*this);
    if (AutoRefreshSetting.Allows(seconds)) {
        settings_.autoRefreshSeconds = static_cast<int>(seconds);
    } else {
        Log(L"Automatic refresh: the period is from " + AutoRefreshSetting.Range() + L" seconds; kept " +
            std::to_wstring(settings_.autoRefreshSeconds) + L" s");
    }
    settings_.autoRefresh = on;
    pending_.settings = saveWanted_ = true;
}

std::wstring BrowserModel::Activity() const {
    const std::wstring refresh = tally_.Activity();
    if (!masters_.Running()) return refresh;
    return tally_.Running() ? masters_.Activity() + L"; " + refresh : masters_.Activity();
}

std::wstring BrowserModel::Counts() const {
    return ListCounts(table_.Size(), shown_.Ids().size(),
                      settings_.autoRefresh ? settings_.autoRefreshSeconds : 0);
}

void BrowserModel::SetWindowPlace(const WindowPlace& place) {
    Batch batch(*this);
    settings_.window = place;
    saveWanted_ = true;
}

void BrowserModel::QuickConnect(const std::wstring& typed) {
    Batch batch(*this);
    const std::string text = Utf8FromWide(typed);
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return;
    ServerAddress server;
    ServerListError error;
    // An address no server can have is refused as vtquery refuses it: never pinged.
    if (!ParseUsableServerAddress(text.substr(start), server, error))
        return Log(L"Cannot connect: " + WideFromUtf8(error.message));
    Log(L"Connecting to " + AddressText(server) + L": asking the server first");
    QuickJoin(server);
}

// server listed, selected and asked; its join dialog opens once the answer (or silence) is in.
void BrowserModel::QuickJoin(const ServerAddress& server) {
    Add({server});
    const ServerRow* row = table_.Find(server);
    if (!row || !pluginLoaded_) return;
    const ServerId id = row->id;
    awaited_ = id;
    Choose(id);
    Ask([id](ModelRequests& requests) { requests.Check(id); });
}

void BrowserModel::TakeSideEvents(std::vector<SideEvent> events) {
    Batch batch(*this);
    pending_.status = true;
    bool refreshEnded = false, answeredAlone = false;
    ServerId joinNow = 0;
    for (SideEvent& event : events) {
        switch (event.kind) {
            case SideEvent::Kind::Offered:
                table_.Offered(event.server, std::move(event.offered));
                break;
            case SideEvent::Kind::Result:
                if (table_.Find(event.server)) tally_.Count(event.result.outcome);
                Answered(event.server, std::move(event.result), false);
                break;
            case SideEvent::Kind::Checked: {
                // A server pinged alone: a seat watch's look, a quick connect's.
                const bool answered =
                    event.done == 1 && Answered(event.server, std::move(event.result), true);
                answeredAlone |= answered;
                if (!answered) {
                    seat_.CheckFailed(event.server);
                    Act(WatchStep::Nothing);
                }
                if (awaited_ && event.server == awaited_) joinNow = std::exchange(awaited_, 0);
                break;
            }
            case SideEvent::Kind::Progress:
                tally_.Progress(event.done, event.total);
                break;
            case SideEvent::Kind::RefreshEnded:
                refreshEnded = true;
                Log(tally_.End(event.done, event.total, event.seconds, event.cancelled));
                break;
            case SideEvent::Kind::Log:
                Log(std::move(event.text));
                break;
        }
    }
    if (refreshEnded) {
        pending_.refreshEnded = true;
        std::vector<std::vector<std::wstring>> seen = RuleValuesSeen(table_, {GameTypeRule, ModRule});
        pending_.choices = seen != choices_;
        choices_ = std::move(seen);
    }
    if (refreshEnded || answeredAlone) TellFriends();
    RefreshListed();
    if (refreshAfter_ && !Refreshing()) {
        refreshAfter_ = false;
        RefreshAll();
    }
    if (joinNow) joinAsked_ = joinNow;
}

// A ping of id ended: the row takes the result in; the friends who appeared on it are kept to be
// told, and a watch of it hears the answer. False when the row left the list.
bool BrowserModel::Answered(ServerId id, ServerResult result, bool alone) {
    const ServerRow* row = table_.Answered(id, std::move(result));
    if (!row) return false;
    pending_.answered.push_back(id);
    answeredSince_.push_back(id);
    for (FriendSighting& sighting : appearances_.Answered(*row, settings_.friends))
        told_.push_back(std::move(sighting));
    const WatchStep step = seat_.Answered(*row, alone, Clock::now(), pending_.log);
    if (seat_.Watch() && seat_.Watch()->Server() == id) Act(step);
    return true;
}

void BrowserModel::HandBack(const std::optional<std::wstring>& handle, ServerId id) {
    Batch batch(*this);
    const ServerRow* row = table_.Find(id);
    const std::wstring& name = row ? row->last.status.serverName : std::wstring();
    handedBack_ = L"Passed back by the plugin: " + handle.value_or(L"(nothing)") +
                  (name.empty() ? L"" : L" (" + name + L")");
    pending_.handedBack = true;
    Log(handedBack_);
    if (row) Choose(id);
}

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

void BrowserModel::MasterEnded(const MasterOutcome& outcome) {
    Batch batch(*this);
    pending_.status = true;
    for (std::wstring& line : masters_.Ended(outcome)) Log(std::move(line));
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

void BrowserModel::RefreshListed() {
    if (!masters_.HasListed() || !pluginLoaded_ || Refreshing()) return;
    const std::vector<ServerId> listed = masters_.TakeListed(table_);
    if (!listed.empty()) Refresh(listed);
}
