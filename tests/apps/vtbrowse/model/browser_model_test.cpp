// BrowserModel, call by call: what it asks outside it and what its notices say, as a transcript
// (one notice a call, however much the call did), over a settings file it reads and saves.
#include "apps/vtbrowse/model/browser_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/text/utf8_text.h"
#include "tests/apps/vtbrowse/model/answers.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Ids(const std::vector<ServerId>& ids) {
    std::string text;
    for (const ServerId id : ids) text += " " + std::to_string(id);
    return text;
}

// What the model asked and told, a line each: its requests ("refresh 1 2", "check 3", "launch 3
// Jet", "fetch 127.0.0.1:28000", "cancel refresh", "ask join 3"), and of each notice "notice",
// the lines it said ("log: ...", "hint: ...", "balloon: ...") and the status bar when it changed.
struct Transcript final : ModelRequests, ModelObserver {
    void Refresh(const std::vector<ServerId>& servers) override { lines.push_back("refresh" + Ids(servers)); }
    void CancelRefresh() override { lines.push_back("cancel refresh"); }
    void Check(ServerId server) override { lines.push_back("check " + std::to_string(server)); }
    void Launch(ServerId server, const JoinSettings& join, const std::map<int, std::wstring>&) override {
        lines.push_back("launch " + std::to_string(server) + " " + Utf8FromWide(join.playerName));
    }
    void FetchMasters(const std::vector<ServerAddress>& masters) override {
        for (const ServerAddress& master : masters) lines.push_back("fetch " + master.Text());
    }
    void CancelFetch() override { lines.push_back("cancel fetch"); }
    void AskJoin(ServerId server) override { lines.push_back("ask join " + std::to_string(server)); }
    void Changed(const ModelChange& change) override {
        lines.push_back("notice");
        for (const std::wstring& line : change.log) lines.push_back("log: " + Utf8FromWide(line));
        if (!change.hint.empty()) lines.push_back("hint: " + Utf8FromWide(change.hint));
        if (!change.balloonText.empty())
            lines.push_back("balloon: " + Utf8FromWide(change.balloonTitle + L": " + change.balloonText));
        const std::string status = Utf8FromWide(model->Activity() + L" | " + model->Counts());
        if (status != shown) lines.push_back("status: " + (shown = status));
    }

    const BrowserModel* model = nullptr;
    std::vector<std::string> lines;
    std::string shown;
};

class Model : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override {
        model.reset();
        std::filesystem::remove_all(folder);
    }
    // A model over settings (the file's text), started with arguments; its transcript from there.
    void Open(const std::string& settings, const std::vector<std::string>& arguments = {},
              bool plugin = true) {
        if (!settings.empty()) std::ofstream(path) << settings;
        const BrowseOptions options = ParseBrowseOptions(arguments);
        model = std::make_unique<BrowserModel>(path, options.problems);
        told.model = model.get();
        model->Subscribe(told);
        model->Connect(told, plugin);
        model->Start(options);
    }
    std::string Write(const std::string& name, const std::string& content) {
        std::ofstream(folder / name) << content;
        return (folder / name).u8string();
    }
    // The transcript since the last call, a line each, the folder's path as <folder>.
    std::string Said() {
        std::string said;
        for (const std::string& line : std::exchange(told.lines, {})) said += line + "\n";
        const std::string prefix = (folder / "").u8string();
        for (size_t at; (at = said.find(prefix)) != std::string::npos;)
            said.replace(at, prefix.size(), "<folder>/");
        return said;
    }
    std::string Saved() const {
        std::ifstream file(path);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vtbrowse-model-test";
    const std::filesystem::path path = folder / "settings.txt";
    Transcript told;
    std::unique_ptr<BrowserModel> model;
};

SideEvent Answered(ServerId id, ServerResult result, SideEvent::Kind kind = SideEvent::Kind::Result) {
    SideEvent event;
    event.kind = kind;
    event.server = id;
    event.result = std::move(result);
    event.done = 1;
    return event;
}

SideEvent Ended(size_t done, size_t total, double seconds, bool cancelled = false) {
    SideEvent event;
    event.kind = SideEvent::Kind::RefreshEnded;
    event.done = done;
    event.total = total;
    event.seconds = seconds;
    event.cancelled = cancelled;
    return event;
}

}  // namespace

// The servers of the settings file and the command line (its problem said in the first notice,
// which the observers made after the model hear), then list files imported while a refresh
// runs and after it: each step said once, the refresh of what was there at start asked after the
// notice; and what the file keeps lists the same servers at the next start.
TEST_F(Model, ServersListedAtStartAndImportedAreSaidAndKept) {
    Open(
        "server=127.0.0.1:1\nlisted=127.0.0.2:1 "
        "127.0.0.1:28000\nfavourite=127.0.0.1:1\nfavourite=127.0.0.3:1\n",
        {"127.0.0.4:1", "bad"});
    model->Import(Write("repeats.txt", "127.0.0.5:1\n127.0.0.6:1 # mine\n127.0.0.5:1\n"));
    model->TakeSideEvents({Ended(4, 4, 0.5)});
    model->Import(Write("listed.txt", "127.0.0.6:1\n"));
    model->Import(Write("unusable.txt", "127.0.0.7:1\n\n# x\n224.0.0.1:28001\n"));
    model->Import((folder / "missing.txt").u8string());
    model.reset();
    Open("");
    EXPECT_EQ(Said(), R"(notice
log: 'bad' has no port: expected ADDRESS:PORT
log: Added 2 servers
log: Listed 1 server the masters gave before
log: Listed 1 server of favourites no master lists any more
status: Refreshing 0 of 4... 0 answered, 0 no answer (Esc cancels) | 4 servers, 4 shown
refresh 1 2 3 4
notice
log: Read 3 servers from <folder>/repeats.txt
log: Added 2 servers; they are refreshed after the running refresh
status: Refreshing 0 of 4... 0 answered, 0 no answer (Esc cancels) | 6 servers, 6 shown
notice
log: Refreshed 4 of 4 servers in 0.50 s: 0 answered, 0 timed out, 0 failed
status: Refreshed 4 of 4 servers in 0.50 s: 0 answered, 0 timed out, 0 failed | 6 servers, 6 shown
notice
log: Read 1 server from <folder>/listed.txt
notice
log: Nothing imported: <folder>/unusable.txt:4: '224.0.0.1:28001': no server can have this address (multicast)
notice
log: Nothing imported: cannot read the server list '<folder>/missing.txt'
notice
log: Added 4 servers
log: Listed 1 server the masters gave before
log: Listed 1 server of favourites no master lists any more
status: Refreshing 0 of 6... 0 answered, 0 no answer (Esc cancels) | 6 servers, 6 shown
refresh 1 2 3 4 5 6
)");
}

// A refresh counted and worded through its states; a batch of its events is one notice.
TEST_F(Model, ARefreshIsCountedAndWordedAndEachBatchOfItsEventsIsOneNotice) {
    Open("server=127.0.0.1:1\nserver=127.0.0.1:2\nserver=127.0.0.1:3\nserver=127.0.0.1:4\n");
    SideEvent progress;
    progress.kind = SideEvent::Kind::Progress;
    progress.done = 3;
    progress.total = 4;
    model->TakeSideEvents({Answered(1, Ping(L"A", L"M", 1, 8)), Answered(2, Ping(L"B", L"M", 2, 8)),
                           Answered(3, Ping(L"", L"", -1, 0)), progress});
    model->Cancel();
    model->TakeSideEvents({Answered(4, ServerResult{}), Ended(4, 4, 1.234, true)});
    model->SetAutoRefresh(true, 30);
    model->RefreshDue();
    model->TakeSideEvents({Answered(1, Ping(L"A", L"M", 1, 8)), Ended(1, 1, 0.5)});
    EXPECT_EQ(Said(), R"(notice
log: Added 4 servers
status: Refreshing 0 of 4... 0 answered, 0 no answer (Esc cancels) | 4 servers, 4 shown
refresh 1 2 3 4
notice
status: Refreshing 3 of 4... 2 answered, 1 no answer (Esc cancels) | 4 servers, 4 shown
notice
status: Cancelling: 3 of 4 refreshed; the servers still being asked have until their time-out to answer | 4 servers, 4 shown
cancel refresh
notice
log: Refresh cancelled: 4 of 4 servers in 1.23 s: 2 answered, 1 timed out, 1 failed
status: Refresh cancelled: 4 of 4 servers in 1.23 s: 2 answered, 1 timed out, 1 failed | 4 servers, 4 shown
notice
status: Refresh cancelled: 4 of 4 servers in 1.23 s: 2 answered, 1 timed out, 1 failed | 4 servers, 4 shown, every 30 s
notice
status: Refreshing 0 of 4... 0 answered, 0 no answer (Esc cancels) | 4 servers, 4 shown, every 30 s
refresh 1 2 3 4
notice
log: Refreshed 1 of 1 server in 0.50 s: 1 answered, 0 timed out, 0 failed
status: Refreshed 1 of 1 server in 0.50 s: 1 answered, 0 timed out, 0 failed | 4 servers, 4 shown, every 30 s
)");
}

// What cannot be done now is said, and nothing is asked: without the plugin, with nothing to
// refresh or join, while a refresh runs, with no masters named, with a period out of its range.
TEST_F(Model, WhatCannotBeDoneIsSaidAndNotAsked) {
    Open("timeout=1\n", {}, false);
    model->RefreshAll();
    model->ReadyToJoin(1, false);
    model->Add({{"127.0.0.1", 1}});
    model->ReadyToJoin(1, true);
    model->GetFromMasters();
    model->SetAutoRefresh(true, 4);
    model.reset();
    Open("timeout=1\n");
    model->Add({{"127.0.0.1", 1}});
    model->Refresh({});
    model->RefreshAll();
    model->RefreshAll();
    model->ReadyToJoin(2, true);
    EXPECT_EQ(Said(), R"(notice
log: Cannot refresh: Tribes.vtplugin could not be loaded (see above)
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 0 servers, 0 shown
notice
hint: Select the server to join first
notice
log: Added 1 server
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 1 server, 1 shown
notice
log: Cannot join: Tribes.vtplugin could not be loaded (see above)
notice
hint: Name the master servers to ask first (Masters...)
notice
log: Automatic refresh: the period is from 5 to 86400 seconds; kept 60 s
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 1 server, 1 shown, every 60 s
notice
log: Added 1 server
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 1 server, 1 shown
notice
hint: Select the servers to refresh first
notice
status: Refreshing 0 of 1... 0 answered, 0 no answer (Esc cancels) | 1 server, 1 shown
refresh 1
notice
log: A refresh is running: wait for it, or cancel it (Esc)
notice
hint: Select the full server to wait for first
)");
}

// Quick connect: a server listed, asked alone, and its join asked for once the check ended, after the notice.
// A join waiting for a seat: the watch pings alone at its pace, a refresh's answer with a seat free starts
// the game once, with the join settings given, kept in the file; a watch of a server removed stops.
TEST_F(Model, QuickConnectJoinsOnceAskedAndASeatWatchStartsTheGameOnce) {
    Open("timeout=1\n");
    model->QuickConnect({"127.0.0.1", 28001});
    model->TakeSideEvents({Answered(1, Ping(L"Echo", L"M", 8, 8), SideEvent::Kind::Checked)});
    JoinChoice choice = model->JoinChoiceFor(1);
    choice.join.playerName = L"Jet";
    model->Join(1, choice, true);
    model->WatchTick();  // its ping is out: no other
    model->TakeSideEvents({Answered(1, Ping(L"Echo", L"M", 8, 8), SideEvent::Kind::Checked)});
    model->TakeSideEvents({Answered(1, Ping(L"Echo", L"M", 7, 8))});
    model->WatchTick();
    EXPECT_EQ(model->Seat().Line(L""), L"A seat freed on Echo (7/8): the game was started");
    model->Join(1, choice, true);
    model->Remove({1});
    EXPECT_EQ(Said(), R"(notice
log: Connecting to 127.0.0.1:28001: asking the server first
log: Added 1 server
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 1 server, 1 shown
check 1
notice
ask join 1
notice
log: Waiting for a seat on Echo (127.0.0.1:28001): a look every 5 s; the game starts as soon as a seat is free
check 1
notice
notice
notice
log: A seat freed on Echo (127.0.0.1:28001), 7/8 players: starting the game
launch 1 Jet
notice
notice
log: Waiting for a seat on Echo (127.0.0.1:28001): a look every 5 s; the game starts as soon as a seat is free
check 1
notice
log: Removed 1 server
log: Stopped waiting for a seat on Echo (127.0.0.1:28001): the server was removed
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 0 servers, 0 shown
)");
    EXPECT_THAT(Saved(), HasSubstr("playerName=Jet"));
}

// Friends, as servers pinged alone answer: an appearance is told once per stay (a log line and a
// balloon), whatever the letter case the server spells them in; a ping without an answer ends no
// stay; on another server, or a server listed anew, a friend appears anew (a late answer for a
// server removed is dropped); a friend added while playing is shown, not told.
TEST_F(Model, AFriendIsToldOncePerStay) {
    Open("friend=cob*\nfriend=Jet\n");
    model->Add({{"127.0.0.1", 1}});
    const auto answer = [this](ServerId id, int players, std::vector<std::wstring> names) {
        model->TakeSideEvents(
            {Answered(id, Ping(L"One", L"M", players, 8, 1, 1, std::move(names)), SideEvent::Kind::Checked)});
    };
    answer(1, 1, {L"Sparrow"});
    answer(1, 2, {L"Sparrow", L"Cobra"});
    answer(1, 2, {L"COBRA", L"Sparrow"});
    answer(1, -1, {});
    answer(1, 1, {L"Cobra"});
    answer(1, 0, {});
    answer(1, 4, {L"Cobra", L"jet", L"cobra", L"Cobra2"});
    model->Add({{"127.0.0.1", 2}});
    answer(2, 1, {L"Cobra"});
    model->Remove({2, 2, 9});
    answer(2, 1, {L"Cobra"});
    model->Add({{"127.0.0.1", 2}});
    answer(3, 1, {L"Cobra"});
    answer(1, 2, {L"Sparrow", L"Cobra"});
    model->AddFriend(L" Sparrow ");
    answer(1, 2, {L"Sparrow", L"Cobra"});
    EXPECT_EQ(Said(), R"(notice
log: Added 1 server
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 1 server, 1 shown
notice
notice
log: Friend online: Cobra is playing on One (127.0.0.1:1), map M
balloon: A friend is playing: Cobra is playing on One (127.0.0.1:1), map M
notice
notice
notice
notice
notice
log: Friend online: Cobra is playing on One (127.0.0.1:1), map M
log: Friend online: jet is playing on One (127.0.0.1:1), map M
log: Friend online: Cobra2 is playing on One (127.0.0.1:1), map M
balloon: Friends are playing: Cobra is playing on One (127.0.0.1:1), map M
jet is playing on One (127.0.0.1:1), map M
Cobra2 is playing on One (127.0.0.1:1), map M
notice
log: Added 1 server
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 2 servers, 2 shown
notice
log: Friend online: Cobra is playing on One (127.0.0.1:2), map M
balloon: A friend is playing: Cobra is playing on One (127.0.0.1:2), map M
notice
log: Removed 1 server
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 1 server, 1 shown
notice
notice
log: Added 1 server
status: Ready: F5 refreshes, Ctrl+F finds a player, Enter joins | 2 servers, 2 shown
notice
log: Friend online: Cobra is playing on One (127.0.0.1:2), map M
balloon: A friend is playing: Cobra is playing on One (127.0.0.1:2), map M
notice
notice
notice
)");
    std::vector<std::wstring> where;
    for (const FriendSighting& sighting : model->WhereFriendsPlay()) where.push_back(sighting.player);
    EXPECT_THAT(where, ElementsAre(L"Cobra", L"Cobra", L"", L"Sparrow"));
    EXPECT_THAT(Saved(), HasSubstr("friend=Sparrow\n"));
}

MasterOutcome Listing(const std::string& master, MasterStatus status, std::vector<ServerAddress> servers,
                      int entries, std::vector<Unusable> leftOut = {}) {
    MasterOutcome outcome;
    outcome.master = master;
    outcome.status = status;
    outcome.servers = std::move(servers);
    outcome.entriesReceived = entries;
    for (const Unusable why : leftOut) outcome.leftOut.Count(why);
    return outcome;
}

// A fetch from masters: refused while one runs and without masters; counted as each master
// answers; cancelled; its lists merged (a server two masters list once, the entries received,
// merged and left out counted over every master), shown, refreshed and kept.
TEST_F(Model, AFetchFromMastersIsCountedMergedRefreshedAndKept) {
    Open("timeout=1\nserver=127.0.0.1:1\n");
    model->TakeSideEvents({Ended(1, 1, 0.1)});
    model->GetFromMasters();
    model->SetMasters({{{"127.0.0.1", 28000}, {"127.0.0.1", 28002}, {"127.0.0.1", 28004}}, true});
    model->GetFromMasters();
    model->GetFromMasters();
    const MasterOutcome a =
        Listing("127.0.0.1:28000", MasterStatus::Complete,
                {{"127.0.0.1", 1}, {"127.0.0.2", 1}, {"127.0.0.3", 1}}, 4, {Unusable::Reserved});
    model->MasterEnded(a, {L"Master 127.0.0.1:28000: what it came to"});
    model->Cancel();
    model->MastersFetched(
        {a, Listing("127.0.0.1:28002", MasterStatus::Complete, {{"127.0.0.3", 1}, {"127.0.0.4", 1}}, 2),
         Listing("127.0.0.1:28004", MasterStatus::NoAnswer, {}, 0)},
        0.25, true);
    EXPECT_TRUE(model->TakeMasterLists(BrowserModel::Clock::now() + std::chrono::hours(1)));
    EXPECT_EQ(Said(), R"(notice
log: Added 1 server
status: Refreshing 0 of 1... 0 answered, 0 no answer (Esc cancels) | 1 server, 1 shown
refresh 1
notice
log: Refreshed 1 of 1 server in 0.10 s: 0 answered, 0 timed out, 0 failed
status: Refreshed 1 of 1 server in 0.10 s: 0 answered, 0 timed out, 0 failed | 1 server, 1 shown
notice
hint: Name the master servers to ask first (Masters...)
notice
log: 3 masters to get servers from, asked at start
notice
log: Asking 3 masters for their servers
status: Getting servers from masters: 0 of 3 done, 0 servers so far (Esc cancels) | 1 server, 1 shown
fetch 127.0.0.1:28000
fetch 127.0.0.1:28002
fetch 127.0.0.1:28004
notice
log: The masters are being asked already: wait for them, or cancel (Esc)
notice
log: Master 127.0.0.1:28000: what it came to
status: Getting servers from masters: 1 of 3 done, 3 servers so far (Esc cancels) | 1 server, 1 shown
notice
status: Cancelling: each master's exchange ends with what has arrived | 1 server, 1 shown
cancel fetch
notice
status: Cancelling: each master's exchange ends with what has arrived | 4 servers, 1 shown
notice
log: Masters cancelled: got 4 servers from 2 of 3 masters in 0.25 s: 3 new, 0 taken off (no master lists them any more); 6 entries received, 1 repeat merged, left out 1 entry no server can have (1 reserved)
status: Refreshed 1 of 1 server in 0.10 s: 0 answered, 0 timed out, 0 failed | 4 servers, 4 shown
notice
status: Refreshing 0 of 4... 0 answered, 0 no answer (Esc cancels) | 4 servers, 4 shown
refresh 1 2 3 4
)");
    EXPECT_THAT(Saved(), HasSubstr("\nlisted=127.0.0.3:1 127.0.0.1:28000 127.0.0.1:28002\n"));
}

// The list: what the filter lets through, in the order chosen (rows never refreshed last, but by
// address or star); after answers, the order made anew whether an answer moved a row or not; the
// filter's choices; where a player is found; favourites starred together, and one no master
// lists any more kept by its own line.
TEST_F(Model, TheListShowsWhatTheFilterLetsThroughInTheOrderChosen) {
    // Alpha 12/32 CTF 4 ms, bravo full Deathmatch rpg with a password 9 ms, Charlie empty ctf
    // 2 ms, a silent one, one never refreshed; bravo and the last favourites.
    Open(
        "server=127.0.0.1:28003\nserver=127.0.0.1:28001\nserver=127.0.0.1:28002\nserver=10.0.0.9:1\n"
        "server=127.0.0.1:9\nfavourite=127.0.0.1:28001\nfavourite=127.0.0.1:9\n");
    using Rules = std::vector<std::pair<std::wstring, std::wstring>>;
    const auto rules = [](const wchar_t* game, const wchar_t* mod, const wchar_t* password) {
        return Rules{{L"game", game}, {L"mods", mod}, {L"needpass", password}};
    };
    model->TakeSideEvents(
        {Answered(1, Ping(L"Alpha", L"Raindance", 12, 32, 4, 1, {L"Cobra"}, rules(L"CTF", L"base", L"0"))),
         Answered(2, Ping(L"bravo", L"Sidewinder", 30, 30, 9, 1, {}, rules(L"Deathmatch", L"rpg", L"1"))),
         Answered(3, Ping(L"Charlie", L"Broadside", 0, 16, 2, 1, {L"Cobra"}, rules(L"ctf", L"base", L"0"))),
         Answered(4, Ping(L"", L"", -1, 0, 2004, 1, {L"Cobra"})), Ended(4, 5, 1)});
    const auto show = [this](void (*choose)(RowFilter&), RowColumn column, bool descending) {
        RowFilter filter;
        if (choose) choose(filter);
        model->SetFilter(filter);
        for (int turn = 0; turn < 2 && (model->Settings().order.column != column ||
                                        model->Settings().order.descending != descending);
             ++turn)
            model->SortBy(column);
        return model->Shown();
    };
    using F = RowFilter&;
    using C = RowColumn;
    const struct {
        const char* what;
        void (*choose)(RowFilter&);
        RowColumn column;
        bool descending;
        std::vector<ServerId> shown;
    } cases[] = {
        {"by name, letter case aside", nullptr, C::Name, false, {1, 2, 3, 4, 5}},
        {"by name, down", nullptr, C::Name, true, {4, 3, 2, 1, 5}},
        {"by address: text, then port as a number", nullptr, C::Address, false, {4, 5, 2, 3, 1}},
        {"by players, then their limit", nullptr, C::Players, false, {4, 3, 1, 2, 5}},
        {"by players, down", nullptr, C::Players, true, {2, 1, 3, 4, 5}},
        {"by ping", nullptr, C::Ping, false, {3, 1, 2, 4, 5}},
        {"by map", nullptr, C::Map, false, {4, 3, 1, 2, 5}},
        {"favourites first", nullptr, C::Favourite, false, {5, 2, 4, 3, 1}},
        {"hide empty", [](F f) { f.hideEmpty = true; }, C::Name, false, {1, 2, 4, 5}},
        {"hide full", [](F f) { f.hideFull = true; }, C::Name, false, {1, 3, 4, 5}},
        {"hide silent", [](F f) { f.hideSilent = true; }, C::Name, false, {1, 2, 3, 5}},
        {"name, letter case aside", [](F f) { f.text = L"cHARL"; }, C::Name, false, {3}},
        {"map, letter case aside", [](F f) { f.text = L"SIDE"; }, C::Name, false, {2, 3}},
        {"game type, letter case aside", [](F f) { f.gameType = L"ctf"; }, C::Name, false, {1, 3}},
        {"mod", [](F f) { f.mod = L"rpg"; }, C::Name, false, {2}},
        {"password required", [](F f) { f.password = PasswordFilter::Required; }, C::Name, false, {2}},
        {"no password", [](F f) { f.password = PasswordFilter::NotRequired; }, C::Name, false, {1, 3}},
        {"ping under 5 ms", [](F f) { f.pingUnderMs = 5; }, C::Name, false, {1, 3}},
        {"favourites", [](F f) { f.favouritesOnly = true; }, C::Name, false, {2, 5}},
        {"CTF under 3 ms", [](F f) { f.gameType = L"CTF", f.pingUnderMs = 3; }, C::Name, false, {3}},
        {"favourites not full", [](F f) { f.favouritesOnly = f.hideFull = true; }, C::Name, false, {5}},
    };
    for (const auto& c : cases) EXPECT_EQ(show(c.choose, c.column, c.descending), c.shown) << c.what;
    EXPECT_THAT(model->FilterChoices(),
                ElementsAre(ElementsAre(L"CTF", L"Deathmatch"), ElementsAre(L"base", L"rpg")));
    std::vector<ServerId> found;
    for (const PlayerSighting& sighting : model->FindPlayers(L"cOB")) found.push_back(sighting.server);
    EXPECT_THAT(found, ElementsAre(1, 3)) << "the silent server's tables are stale";
    EXPECT_THAT(model->FindPlayers(L""), ::testing::IsEmpty());

    // An answer that leaves the order, or moves a row, or changes whether one shows: the order
    // after it is the one made anew.
    const struct {
        void (*choose)(RowFilter&);
        RowColumn column;
        ServerId answered;
        ServerResult answer;
    } answers[] = {
        {nullptr, C::Name, 1, Ping(L"Alpha", L"Raindance", 12, 32, 7, 2)},
        {nullptr, C::Name, 1, Ping(L"Zulu", L"Raindance", 12, 32, 7, 3)},
        {nullptr, C::Ping, 1, Ping(L"Zulu", L"Raindance", 12, 32, 5, 4)},
        {nullptr, C::Ping, 1, Ping(L"Zulu", L"Raindance", 12, 32, 1, 5)},
        {[](F f) { f.hideEmpty = true; }, C::Name, 3, Ping(L"Charlie", L"Broadside", 5, 16, 2, 2)},
        {[](F f) { f.hideEmpty = true; }, C::Name, 1, Ping(L"Zulu", L"Raindance", 0, 32, 1, 6)},
        {nullptr, C::Name, 5, Ping(L"Aaron", L"", 1, 8, 3, 1)},
    };
    for (const auto& c : answers) {
        show(c.choose, c.column, false);
        model->TakeSideEvents({Answered(c.answered, c.answer)});
        const std::vector<ServerId> taken = model->Shown();
        EXPECT_EQ(taken, show(c.choose, c.column, false)) << Utf8FromWide(c.answer.status.serverName);
    }

    model->ToggleFavourites({1, 2});
    EXPECT_EQ(CellText(*model->Find(1), C::Favourite), L"\u2605") << "not all were: all are";
    model->ToggleFavourites({1, 2});
    EXPECT_EQ(CellText(*model->Find(2), C::Favourite), L"");
    model.reset();
    Open("timeout=1\nfavourite=127.0.0.1:29000\n");
    EXPECT_EQ(CellText(*model->Find(1), C::Favourite), L"\u2605 not listed");
    EXPECT_THAT(Saved(), ::testing::AllOf(HasSubstr("favourite=127.0.0.1:29000"),
                                          ::testing::Not(HasSubstr("server=127.0.0.1:29000"))));
}
