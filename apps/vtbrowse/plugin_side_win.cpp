#include "apps/vtbrowse/plugin_side_win.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "apps/shared/listed_server.h"
#include "apps/shared/utf8_text.h"
#include "apps/shared/worker_plan.h"
#include "contract/launch_option_ids.h"
#include "runner/elapsed_seconds.h"

namespace {

using Clock = std::chrono::steady_clock;

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

// Closes the plugin's message boxes among the windows it is shown (a WNDENUMPROC).
BOOL CALLBACK CloseMessageBox(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770" && IsWindowVisible(window))
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

std::wstring Label(const HostedServer& server) {
    return WideFromUtf8(server.handle.toCharString());
}

}  // namespace

PluginSide::PluginSide(const std::wstring& pluginPath, size_t mostSessions, HWND window, UINT message)
    : runner_(pluginPath),
      mostSessions_(mostSessions > 0 ? mostSessions : DefaultMostSessions),
      window_(window),
      message_(message) {
    commands_.emplace();
    launches_.emplace();
    sessions_.emplace();
}

PluginSide::~PluginSide() {
    Cancel();
    // A launch whose game did not start waits in the plugin's message box; closing the browser
    // closes the box, so the lane can end and the plugin be unloaded with nothing of it running.
    const Clock::time_point start = Clock::now();
    while ((!launches_->Idle() || !commands_->Idle() || !sessions_->Idle()) && SecondsSince(start) < 10) {
        CloseMessageBoxes();
        // A forward command in flight waits for the window's thread (this one) to take the
        // plugin's message: take it, or the lane and this wait would wait for each other.
        MSG sent;
        PeekMessageW(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sessions_.reset();
    launches_.reset();
    commands_.reset();
    runner_.Unload();
}

void PluginSide::CloseMessageBoxes() {
    EnumThreadWindows(runner_.Thread().ThreadId(), CloseMessageBox, 0);
}

void PluginSide::Push(SideEvent event) {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        events_.push_back(std::move(event));
    }
    // One message until the window takes the events: a refresh of a thousand servers must not
    // post a thousand messages through the Wine server its pings need.
    if (!announced_.exchange(true)) PostMessageW(window_, message_, 0, 0);
}

void PluginSide::Log(std::wstring text) {
    SideEvent event;
    event.kind = SideEvent::Kind::Log;
    event.text = std::move(text);
    Push(std::move(event));
}

std::vector<SideEvent> PluginSide::TakeEvents() {
    std::lock_guard<std::mutex> hold(mutex_);
    announced_ = false;
    return std::exchange(events_, {});
}

std::shared_ptr<HostedServer> PluginSide::Find(ServerId id) const {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto found = hosted_.find(id);
    return found == hosted_.end() ? nullptr : found->second;
}

bool PluginSide::IsLive(ServerId id) const {
    std::lock_guard<std::mutex> hold(mutex_);
    return live_.count(id) > 0;
}

bool PluginSide::Batched() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return hosted_.size() > mostSessions_;
}

void PluginSide::MakeSessions(const std::vector<Target>& targets, bool lasting) {
    if (targets.empty()) return;
    std::vector<HostedServer*> servers;
    for (const Target& target : targets) servers.push_back(target.server.get());
    runner_.AddSessions(servers);
    for (const Target& target : targets) {
        if (lasting) {
            std::lock_guard<std::mutex> hold(mutex_);
            live_.insert(target.id);
        }
        SideEvent event;
        event.kind = SideEvent::Kind::Offered;
        event.server = target.id;
        event.offered = LatestOffers(target.server->entry->OfferedLaunchOptions());
        Push(std::move(event));
    }
}

void PluginSide::DropSessions(const std::vector<Target>& targets) {
    if (targets.empty()) return;
    std::vector<HostedServer*> servers;
    for (const Target& target : targets) servers.push_back(target.server.get());
    runner_.RemoveSessions(servers);
    std::lock_guard<std::mutex> hold(mutex_);
    for (const Target& target : targets) live_.erase(target.id);
}

void PluginSide::Add(const std::vector<std::pair<ServerId, ServerAddress>>& servers, int timeoutSeconds) {
    sessions_->Post([this, servers, timeoutSeconds] {
        std::vector<Target> added;
        for (const auto& [id, address] : servers) {
            std::shared_ptr<HostedServer> hosted = HostListedServer(address, timeoutSeconds);
            std::lock_guard<std::mutex> hold(mutex_);
            hosted_[id] = hosted;
            added.push_back(Target{id, std::move(hosted)});
        }
        if (!Batched()) {
            MakeSessions(added, true);
            return;
        }
        // Past the bound every refresh goes in batches, whose sessions live only for the batch.
        std::vector<Target> lasting;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            for (ServerId id : live_) lasting.push_back(Target{id, hosted_[id]});
        }
        DropSessions(lasting);
    });
}

void PluginSide::Remove(const std::vector<ServerId>& servers) {
    sessions_->Post([this, servers] {
        std::vector<Target> removed;
        for (ServerId id : servers) {
            if (std::shared_ptr<HostedServer> hosted = Find(id)) removed.push_back(Target{id, hosted});
        }
        std::vector<Target> withSession;
        for (const Target& target : removed) {
            if (IsLive(target.id)) withSession.push_back(target);
        }
        DropSessions(withSession);
        std::lock_guard<std::mutex> hold(mutex_);
        for (const Target& target : removed) hosted_.erase(target.id);
    });
}

void PluginSide::Refresh(const std::vector<ServerId>& servers) {
    const std::uint64_t sequence = ++refreshesAsked_;
    sessions_->Post([this, servers, sequence] { RunRefresh(servers, sequence); });
}

void PluginSide::Cancel() {
    cancelledUpTo_ = refreshesAsked_.load();
}

void PluginSide::RunRefresh(const std::vector<ServerId>& ids, std::uint64_t sequence) {
    const Clock::time_point start = Clock::now();
    std::vector<Target> resident;
    std::vector<Target> visitors;
    std::vector<Target> lacking;
    const bool batched = Batched();
    for (ServerId id : ids) {
        std::shared_ptr<HostedServer> hosted = Find(id);
        if (!hosted) continue;
        if (IsLive(id)) {
            resident.push_back(Target{id, hosted});
        } else if (batched) {
            visitors.push_back(Target{id, hosted});
        } else {
            lacking.push_back(Target{id, hosted});
        }
    }
    // Sessions are made once and kept; those missing (the list was batched before) are made now.
    MakeSessions(lacking, true);
    resident.insert(resident.end(), lacking.begin(), lacking.end());

    const size_t total = resident.size() + visitors.size();
    if (!visitors.empty()) {
        Log(std::to_wstring(visitors.size()) + L" servers refreshed in batches of " +
            std::to_wstring(mostSessions_) + L" sessions: more are listed than sessions may live at once");
    }
    std::atomic<size_t> done{0};
    PingTargets(resident, sequence, done, total);
    for (size_t first = 0; first < visitors.size() && cancelledUpTo_ < sequence; first += mostSessions_) {
        const std::vector<Target> batch(
            visitors.begin() + static_cast<std::ptrdiff_t>(first),
            visitors.begin() + static_cast<std::ptrdiff_t>(std::min(visitors.size(), first + mostSessions_)));
        MakeSessions(batch, false);
        PingTargets(batch, sequence, done, total);
        DropSessions(batch);
    }

    SideEvent ended;
    ended.kind = SideEvent::Kind::RefreshEnded;
    ended.done = done;
    ended.total = total;
    ended.seconds = SecondsSince(start);
    ended.cancelled = cancelledUpTo_ >= sequence && done < total;
    Push(std::move(ended));
}

void PluginSide::PingTargets(const std::vector<Target>& targets, std::uint64_t sequence,
                             std::atomic<size_t>& done, size_t total) {
    if (targets.empty()) return;
    RefreshServers(
        targets.size(), 1, RefreshWorkers(0, std::thread::hardware_concurrency()),
        [&](size_t index) {
            if (cancelledUpTo_ >= sequence) return;
            const Target& target = targets[index];
            const Clock::time_point pingStart = Clock::now();
            runner_.Ping(*target.server);
            SideEvent result;
            result.kind = SideEvent::Kind::Result;
            result.server = target.id;
            result.snapshot = ReadSnapshot(*target.server->data, SecondsSince(pingStart) * 1000);
            Push(std::move(result));
            ++done;
        },
        [&](size_t) {
            SideEvent progress;
            progress.kind = SideEvent::Kind::Progress;
            progress.done = done;
            progress.total = total;
            Push(std::move(progress));
        });
}

void PluginSide::Command(WorkQueue& lane, ServerId id, std::function<void(HostedServer&)> send) {
    std::shared_ptr<HostedServer> hosted = Find(id);
    if (!hosted) return;
    lane.Post([this, id, hosted, send] {
        if (IsLive(id)) {
            send(*hosted);
            return;
        }
        sessions_->Post([this, id, hosted, send] {
            if (IsLive(id)) {
                send(*hosted);
                return;
            }
            const std::vector<Target> alone{Target{id, hosted}};
            MakeSessions(alone, false);
            send(*hosted);
            DropSessions(alone);
        });
    });
}

void PluginSide::Join(ServerId server, const JoinRequest& request) {
    std::shared_ptr<HostedServer> hosted = Find(server);
    if (!hosted) return;
    HostServerEntry& entry = *hosted->entry;
    entry.SetExecutablePath(request.join.executable);
    entry.SetLaunchParameters(request.join.parameters);
    // The player name and config file are the host's own settings; the plugin asks for them by
    // id whether or not it offered them.
    entry.SetLaunchOptionValue(PlayerName, request.join.playerName);
    entry.SetLaunchOptionValue(ConfigFile, request.join.configFile);
    for (const auto& [id, value] : request.optionValues) entry.SetLaunchOptionValue(id, value);
    Command(*launches_, server, [this](HostedServer& target) {
        Log(L"Asked the plugin to start the game on " + Label(target));
        const LRESULT known = runner_.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&target.handle));
        if (known != 1) Log(L"The plugin did not know " + Label(target) + L": nothing was started");
    });
}

void PluginSide::OpenPluginMenu(ServerId server) {
    Command(*commands_, server, [this](HostedServer& target) {
        const LRESULT known = runner_.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&target.handle),
                                           reinterpret_cast<LPARAM>(&menu_));
        Log(known == 1 ? L"The plugin's menu for " + Label(target) + L" has no entries of its own"
                       : L"The plugin has no menu for " + Label(target));
    });
}

void PluginSide::HandBack(ServerId server, VtHostWindow& window) {
    Command(*commands_, server, [this, server, &window](HostedServer& target) {
        HostWindowRecord record{&target.handle, &window};
        runner_.Send(CMD_FORWARD, reinterpret_cast<WPARAM>(&record), static_cast<LPARAM>(server));
    });
}
