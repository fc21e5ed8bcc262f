// The model's refresh: asked, cancelled, and the plugin's events that come back of it; a quick
// connect's check; what the plugin hands back.
#include <algorithm>
#include <utility>

#include "apps/vtbrowse/model/browser_model.h"
#include "apps/vtbrowse/model/player_filters.h"

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

void BrowserModel::QuickConnect(const ServerAddress& server) {
    Batch batch(*this);
    Log(L"Connecting to " + server.WideText() + L": asking the server first");
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

void BrowserModel::RefreshListed() {
    if (!masters_.HasListed() || !pluginLoaded_ || Refreshing()) return;
    const std::vector<ServerId> listed = masters_.TakeListed(table_);
    if (!listed.empty()) Refresh(listed);
}
