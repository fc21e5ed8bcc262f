// The model's core: its notices, its settings file, the list's rows, order and filter. Its other
// jobs have files of their own: the refresh and the plugin's events (browser_model_refresh.cpp),
// the friends and joining (browser_model_join.cpp), the masters (browser_model_masters.cpp).
#include "apps/vtbrowse/model/browser_model.h"

#include <algorithm>
#include <utility>

#include "apps/shared/server_list.h"
#include "apps/vtbrowse/settings/imported_servers.h"
#include "apps/vtbrowse/settings/settings_file.h"

namespace {

// At most this many notices in a row, the changes their observers made included.
constexpr int MostRounds = 100;

}  // namespace

BrowserModel::Batch::~Batch() {
    if (--model_.depth_ == 0) model_.Deliver();
}

BrowserModel::BrowserModel(std::filesystem::path settingsPath, std::vector<std::wstring> problems)
    : settingsPath_(std::move(settingsPath)), heldLog_(std::move(problems)) {
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
    std::wstring error;
    if (!SaveSettingsFile(settingsPath_, settings_, error)) Log(L"Settings not saved: " + error);
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
    for (const std::wstring& problem : options.problems) Log(problem);
    if (!options.pluginPath.empty() || options.mostSessions != 0)
        Log(L"--plugin and --most-sessions are taken when vtbrowse starts: this window keeps its own");
    Add(options.servers);
    TakeCommandLine(options);
}

void BrowserModel::TakeCommandLine(const BrowseOptions& options) {
    for (const std::filesystem::path& file : options.serverFiles) Import(file);
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

void BrowserModel::Import(const std::filesystem::path& path) {
    Batch batch(*this);
    saveWanted_ = true;
    const ImportedServers read = ReadImportedServers(path);
    if (!read.problem.empty()) return Log(L"Nothing imported: " + read.problem);
    Log(L"Read " + Plural(read.servers.size(), L"server", L"servers") + L" from " + path.wstring());
    Add(WithoutDuplicates(read.servers));
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
