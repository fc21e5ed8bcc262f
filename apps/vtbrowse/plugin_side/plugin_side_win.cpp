#include "apps/vtbrowse/plugin_side/plugin_side_win.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "apps/shared/game_launch_win.h"
#include "apps/shared/listed_server.h"
#include "common/contract/launch_option_ids.h"
#include "host/runner/elapsed_seconds.h"
#include "host/text/utf8_text.h"

namespace {

// Each id once, the last offer of it kept: a session made again offers its options again.
std::vector<OfferedLaunchOption> LatestOffers(std::vector<OfferedLaunchOption> offers) {
    std::vector<OfferedLaunchOption> latest;
    for (auto offer = offers.rbegin(); offer != offers.rend(); ++offer) {
        const bool known = std::any_of(latest.begin(), latest.end(),
                                       [&](const OfferedLaunchOption& kept) { return kept.id == offer->id; });
        if (!known) latest.insert(latest.begin(), std::move(*offer));
    }
    return latest;
}

// The server as the plugin's handle names it (its text is UTF-8).
std::wstring Label(const VtHandle& handle) {
    return WideFromUtf8(handle.toCharString());
}

// While a refresh runs the window takes in results at most this often: redrawing the list for
// every answer would keep a processor and the Wine server busy that the pings need.
constexpr auto ResultsEvery = std::chrono::milliseconds(200);

}  // namespace

PluginSide::PluginSide(const std::wstring& pluginPath, size_t mostSessions, int timeoutSeconds,
                       BrowserModel& model, HWND window, PartRoutes& routes)
    : runner_(pluginPath),
      mostSessions_(mostSessions > 0 ? mostSessions : DefaultMostSessions),
      timeoutSeconds_(timeoutSeconds),
      model_(model) {
    host_.window = window;
    events_.Address(window, EventsMessage);
    EngineSettings settings;
    settings.mostSessions = mostSessions_;
    settings.workers = RefreshWorkers(0, std::thread::hardware_concurrency());
    settings.sessionMade = [this](ServerKey key, HostedServer& server) {
        SideEvent event;
        event.kind = SideEvent::Kind::Offered;
        event.server = static_cast<ServerId>(key);
        event.offered = LatestOffers(server.entry->OfferedLaunchOptions());
        events_.Push(std::move(event));
    };
    engine_.emplace(runner_, std::move(settings));
    commands_.emplace();
    launches_.emplace();
    model_.Subscribe(*this);
    routed_ = routes.Take({PartRoutes::Message(EventsMessage,
                                               [this](WPARAM, LPARAM) {
                                                   TakeEvents(false);
                                                   return LRESULT{0};
                                               }),
                           PartRoutes::Timer(EventsTimer, [this] { TakeEvents(true); }),
                           PartRoutes::Message(CMD_FORWARD, [this](WPARAM record, LPARAM server) {
                               Forwarded(record, server);
                               return LRESULT{0};
                           })});
}

PluginSide::~PluginSide() {
    // The window's messages that still come while the lanes end (a forward command) find no side.
    routed_.reset();
    model_.Unsubscribe(*this);
    KillTimer(host_.window, EventsTimer);
    engine_->Cancel();
    // A launch whose game did not start waits in the plugin's message box; closing the browser
    // closes the box, so the lane can end and the plugin be unloaded with nothing of it running.
    const auto start = std::chrono::steady_clock::now();
    while ((!launches_->Idle() || !commands_->Idle() || !engine_->Idle()) && SecondsSince(start) < 10) {
        runner_.CloseShownDialogs();
        // A forward command in flight waits for the window's thread (this one) to take the
        // plugin's message: take it, or the lane and this wait would wait for each other.
        MSG sent;
        PeekMessageW(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // The lanes first: a command whose server has no session hands it on to the engine.
    launches_.reset();
    commands_.reset();
    engine_.reset();
    runner_.Unload();
}

void PluginSide::Log(std::wstring text) {
    SideEvent event;
    event.kind = SideEvent::Kind::Log;
    event.text = std::move(text);
    events_.Push(std::move(event));
}

void PluginSide::Changed(const ModelChange& change) {
    if (!change.removed.empty()) {
        listed_ -= std::min(listed_.load(), change.removed.size());
        engine_->Remove(std::vector<ServerKey>(change.removed.begin(), change.removed.end()));
    }
    if (change.added.empty()) return;
    std::vector<std::pair<ServerKey, MakeHostedServer>> listed;
    for (const auto& [id, address] : change.added) {
        const int timeoutSeconds = timeoutSeconds_;
        listed.emplace_back(
            id, [address = address, timeoutSeconds] { return HostListedServer(address, timeoutSeconds); });
    }
    listed_ += change.added.size();
    engine_->Add(std::move(listed));
}

void PluginSide::Refresh(const std::vector<ServerId>& servers) {
    if (listed_ > mostSessions_) {
        Log(L"Refreshing " + std::to_wstring(servers.size()) + L" servers " + std::to_wstring(mostSessions_) +
            L" at a time");
    }
    RefreshReport report;
    report.pinged = [this](ServerKey key, HostedServer& server, const std::vector<double>& pingMs) {
        SideEvent result;
        result.kind = SideEvent::Kind::Result;
        result.server = static_cast<ServerId>(key);
        result.result = ReadServerResult(*server.data, pingMs);
        events_.Push(std::move(result));
    };
    report.progress = [this](size_t done, size_t total) {
        SideEvent progress;
        progress.kind = SideEvent::Kind::Progress;
        progress.done = done;
        progress.total = total;
        events_.Push(std::move(progress));
    };
    report.ended = [this](const RefreshEnd& end) {
        SideEvent ended;
        ended.kind = SideEvent::Kind::RefreshEnded;
        ended.done = end.done;
        ended.total = end.total;
        ended.seconds = end.seconds;
        ended.cancelled = end.cancelled;
        events_.Push(std::move(ended));
    };
    engine_->Refresh(std::vector<ServerKey>(servers.begin(), servers.end()), std::move(report));
}

void PluginSide::Cancel() {
    engine_->Cancel();
}

// waited: the pause between batches is over (the timer's).
void PluginSide::TakeEvents(bool waited) {
    const auto now = std::chrono::steady_clock::now();
    if (!waited && model_.Refreshing() && now - lastTaken_ < ResultsEvery) {
        SetTimer(host_.window, EventsTimer, static_cast<UINT>(ResultsEvery.count()), nullptr);
        return;
    }
    KillTimer(host_.window, EventsTimer);
    lastTaken_ = now;
    model_.TakeSideEvents(events_.Take());
}

void PluginSide::Forwarded(WPARAM record, LPARAM server) {
    // The plugin hands back its record of the server and the value we gave it, the id.
    const auto* handed = reinterpret_cast<const VtPluginServerStruct*>(record);
    model_.HandBack(handed ? std::optional<std::wstring>(Label(handed->handle)) : std::nullopt,
                    static_cast<ServerId>(server));
}

void PluginSide::Check(ServerId server) {
    // The pinging worker leaves the result for the end, which tells whether there was a ping.
    auto checked = std::make_shared<SideEvent>();
    checked->kind = SideEvent::Kind::Checked;
    checked->server = server;
    RefreshReport report;
    report.pinged = [checked](ServerKey, HostedServer& target, const std::vector<double>& pingMs) {
        checked->result = ReadServerResult(*target.data, pingMs);
    };
    report.ended = [this, checked](const RefreshEnd& end) {
        checked->done = end.done;
        events_.Push(std::move(*checked));
    };
    engine_->Refresh({server}, std::move(report));
}

void PluginSide::Join(ServerId server, const JoinSettings& join,
                      const std::map<int, std::wstring>& optionValues) {
    GameLaunch launch{join.executable, join.parameters, optionValues};
    // The player name and config file are the host's own settings; the plugin asks for them by id
    // whether or not it offered them. A value the user gave an offered option of the same id wins.
    launch.optionValues.emplace(PlayerName, join.playerName);
    launch.optionValues.emplace(ConfigFile, join.configFile);
    engine_->Command(server, *launches_, [this, launch = std::move(launch)](HostedServer& target) {
        Log(L"Starting the game on " + Label(target.handle));
        if (!SendLaunch(runner_, target, launch))
            Log(L"The game was not started: the plugin does not know " + Label(target.handle));
    });
}

void PluginSide::OpenPluginMenu(ServerId server) {
    engine_->Command(server, *commands_, [this](HostedServer& target) {
        const LRESULT known = runner_.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&target.handle),
                                           reinterpret_cast<LPARAM>(&menu_));
        // Answered: the plugin's step is done, and a player has nothing to read of it.
        if (known != 1) Log(L"The plugin has no menu for " + Label(target.handle));
    });
}

void PluginSide::HandBack(ServerId server) {
    engine_->Command(server, *commands_, [this, server](HostedServer& target) {
        HostWindowRecord record{&target.handle, &host_};
        runner_.Send(CMD_FORWARD, reinterpret_cast<WPARAM>(&record), static_cast<LPARAM>(server));
    });
}
