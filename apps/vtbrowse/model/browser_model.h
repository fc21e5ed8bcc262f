// vtbrowse's data in one place: the servers (ServerTable), the settings, the friends, the seat
// watch, the refresh's and the masters' tallies, the filter and order of the list and the server
// whose details show. It reads and saves its settings file itself. Whoever shows it subscribes
// (ModelObserver) and asks it for what to show; the user's actions come to it, and what it needs
// done outside it goes to its ModelRequests. The changes of one call, or of one batch of the
// plugin's events, reach the observers as one notice. Nothing outside keeps a place in its
// storage: rows are named by id. Its texts are in one encoding, the window's: what comes in UTF-8
// (the command line, files, the masters' words, typed addresses) is converted where it arrives,
// and addresses stay ServerAddress values until shown. Portable: tested natively.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/masters/master_outcome.h"
#include "apps/vtbrowse/command_line/browse_options.h"
#include "apps/vtbrowse/model/friends.h"
#include "apps/vtbrowse/model/masters_intake.h"
#include "apps/vtbrowse/model/model_observer.h"
#include "apps/vtbrowse/model/model_requests.h"
#include "apps/vtbrowse/model/player_search.h"
#include "apps/vtbrowse/model/refresh_tally.h"
#include "apps/vtbrowse/model/seat_watch.h"
#include "apps/vtbrowse/model/server_table.h"
#include "apps/vtbrowse/model/shown_order.h"
#include "apps/vtbrowse/settings/browser_settings.h"

// What the join dialog shows and takes: the join settings, the values of the options the server's
// plugin offered, and a seat watch's pace and time.
struct JoinChoice {
    JoinSettings join;
    std::map<int, std::wstring> optionValues;
    int watchEverySeconds = SeatWatchEverySetting.fallback;
    int watchGiveUpMinutes = SeatWatchGiveUpSetting.fallback;
};

// The masters the user chose to ask, and whether they are asked at start.
struct MasterChoice {
    std::vector<ServerAddress> masters;
    bool atStart = false;
};

class BrowserModel {
public:
    using Clock = std::chrono::steady_clock;

    // Reads the settings file at settingsPath; problems (the command line's) and what of the file
    // could not be read are said in the first notice.
    BrowserModel(std::filesystem::path settingsPath, std::vector<std::wstring> problems);
    BrowserModel(const BrowserModel&) = delete;
    BrowserModel& operator=(const BrowserModel&) = delete;

    // observer hears every later change until Unsubscribe; it outlives its subscription.
    void Subscribe(ModelObserver& observer);
    void Unsubscribe(ModelObserver& observer);
    // Where what the model needs done goes (it outlives the model's use of it); without the
    // plugin nothing is refreshed or joined, and the log says why.
    void Connect(ModelRequests& requests, bool pluginLoaded);

    // The servers of the settings file and of a start's command line listed, its list files
    // (full paths) read, a server selected or joined, and the first refresh.
    void Start(const BrowseOptions& options);
    // A later start's command line, taken as a start's.
    void TakeHandedOver(const BrowseOptions& options);

    // What the parts show.
    const BrowserSettings& Settings() const { return settings_; }
    size_t Size() const { return table_.Size(); }
    // A row, valid until the next change; null when there is none.
    const ServerRow* Find(ServerId id) const { return table_.Find(id); }
    const ServerRow* Find(const ServerAddress& server) const { return table_.Find(server); }
    // The ids the list shows, in order, and where one stands.
    const std::vector<ServerId>& Shown() const { return shown_.Ids(); }
    std::optional<size_t> PlaceOf(ServerId id) const { return shown_.PlaceOf(id); }
    ServerId Focused() const { return focused_; }
    // The game types, then the mods, the servers that answered the last refresh sent.
    const std::vector<std::vector<std::wstring>>& FilterChoices() const { return choices_; }
    std::vector<PlayerSighting> FindPlayers(std::wstring_view text) const {
        return ::FindPlayers(table_, text);
    }
    std::vector<FriendSighting> WhereFriendsPlay() const {
        return ::WhereFriendsPlay(table_, settings_.friends);
    }
    ServerId LastAppearance() const { return lastAppearance_; }
    const std::wstring& HandedBack() const { return handedBack_; }
    const SeatWatching& Seat() const { return seat_; }
    // The status bar: what runs (a fetch's progress before a refresh's), or how the last refresh
    // went; and the list's counts.
    std::wstring Activity() const;
    std::wstring Counts() const;
    bool Refreshing() const { return tally_.Running(); }
    bool CanRefresh() const { return pluginLoaded_ && !tally_.Running(); }
    bool CanCancel() const;
    bool Fetching() const { return masters_.Running(); }
    MasterChoice Masters() const { return {settings_.masters, settings_.mastersAtStart}; }

    // The user's actions.
    void Add(const std::vector<ServerAddress>& servers);
    void Import(const std::filesystem::path& path);  // a server list file
    void Remove(const std::vector<ServerId>& ids);
    void ToggleFavourites(const std::vector<ServerId>& ids);
    void Refresh(const std::vector<ServerId>& ids);
    void RefreshAll() { Refresh(table_.Ids()); }
    void RefreshDue();  // the automatic refresh's period went by
    void Cancel();      // the refresh and the fetch
    void Focus(ServerId id);
    // id selected alone and its details shown, when the list shows it.
    void Choose(ServerId id);
    void SortBy(RowColumn column);
    void SetFilter(const RowFilter& filter);
    void SetColumnWidths(const std::vector<int>& widths);
    // The automatic refresh on or off, every seconds (a period out of its range keeps the last).
    void SetAutoRefresh(bool on, long seconds);
    // server listed if need be and asked alone; its join dialog opens once its answer is in.
    void QuickConnect(const ServerAddress& server);
    // Whether name (trimmed) was taken: a new friend, or one already there.
    bool AddFriend(std::wstring name);
    void RemoveFriend(const std::wstring& pattern);
    // Whether id can be joined now; the status bar or the log says why not.
    bool ReadyToJoin(ServerId id, bool waitForSeat);
    JoinChoice JoinChoiceFor(ServerId id) const;
    // The user chose to join id with choice: the game starts, or with waitForSeat a seat watch.
    void Join(ServerId id, const JoinChoice& choice, bool waitForSeat);
    void WatchTick();
    void StopWatching();
    void SetMasters(const MasterChoice& choice);
    void GetFromMasters();
    void SetWindowPlace(const WindowPlace& place);
    void Log(std::wstring text);

    // What comes back from outside.
    void TakeSideEvents(std::vector<SideEvent> events);
    // The plugin handed back its record of a server (handle: its text, none without a record)
    // with the id it was given.
    void HandBack(const std::optional<std::wstring>& handle, ServerId id);
    // One master's exchange ended; said: what it came to in the log's words, made where the
    // master's words arrive.
    void MasterEnded(const MasterOutcome& outcome, std::vector<std::wstring> said);
    void MastersFetched(std::vector<MasterOutcome> outcomes, double seconds, bool cancelled);
    // Takes the fetch's lists in a step at a time until until: slices of the merge, the list
    // shown, the servers listed refreshed, the settings saved, each step its own notice; true
    // once all are done.
    bool TakeMasterLists(Clock::time_point until);

private:
    // Every public change opens one; the outermost delivers what the call did as one notice.
    class Batch {
    public:
        explicit Batch(BrowserModel& model) : model_(model) { ++model_.depth_; }
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        BrowserModel& model_;
    };

    void Deliver();
    bool HasNews() const;
    void UpdateShown();
    void Save();
    void Hint(std::wstring text) { pending_.hint = std::move(text); }
    void Ask(std::function<void(ModelRequests&)> request) { asked_.push_back(std::move(request)); }
    // Rows appended: told, shown, and said in the log as before + "N servers" + after.
    void Listed(const AddedRows& added, const std::wstring& before, const std::wstring& after);
    void Removed(const std::vector<ServerId>& ids);
    void TakeCommandLine(const BrowseOptions& options);
    void QuickJoin(const ServerAddress& server);
    bool Answered(ServerId id, ServerResult result, bool alone);
    void TellFriends();
    void RefreshListed();
    void Launch(ServerId id);
    void Act(WatchStep step);

    std::filesystem::path settingsPath_;
    BrowserSettings settings_;
    ServerTable table_;
    ShownOrder shown_;
    std::vector<ModelObserver*> observers_;
    ModelRequests* requests_ = nullptr;
    bool pluginLoaded_ = false;
    bool started_ = false;  // the servers of the settings file are listed: saving may begin
    std::vector<std::wstring>
        heldLog_;  // what the command line and the file said: the start's notice says it

    // The batch under way and what it did.
    int depth_ = 0;
    bool delivering_ = false;
    ModelChange pending_;
    std::vector<std::function<void(ModelRequests&)>> asked_;
    ServerId joinAsked_ = 0;
    bool saveWanted_ = false;
    bool remakeShown_ = false;
    std::vector<ServerId> answeredSince_;  // since the shown order was made or checked

    ServerId focused_ = 0;
    std::vector<std::vector<std::wstring>> choices_;
    std::wstring handedBack_;
    RefreshTally tally_;
    bool refreshAfter_ = false;  // every server is refreshed once the running refresh ends
    ServerId awaited_ = 0;       // quick connect's server: joined once its check ended

    FriendAppearances appearances_;
    std::vector<FriendSighting> told_;  // appeared since they were last told
    ServerId lastAppearance_ = 0;

    SeatWatching seat_;
    MastersIntake masters_;
};
