#include "apps/vtbrowse/plugin_pane_win.h"

#include "host/text/utf8_text.h"

namespace {

constexpr UINT SideMessage = WM_APP + 1;
constexpr UINT_PTR EventsTimer = 1;
// While a refresh runs the window takes in results at most this often: redrawing the list for
// every answer would keep a processor and the Wine server busy that the pings need.
constexpr auto ResultsEvery = std::chrono::milliseconds(200);

}  // namespace

PluginPane::PluginPane(ServerTable& table, Handlers handlers)
    : table_(table), handlers_(std::move(handlers)) {
    CreatePane(HWND_MESSAGE, 0);
}

void PluginPane::Load(const std::wstring& path, size_t mostSessions, int timeoutSeconds) {
    try {
        side_ = std::make_unique<PluginSide>(path, mostSessions, timeoutSeconds, table_, window_.get(),
                                             SideMessage);
    } catch (const std::exception& error) {
        handlers_.log(L"The plugin could not be loaded, so nothing can be refreshed or joined: " +
                      WideFromUtf8(error.what()));
    }
}

const RefreshTally& PluginPane::Tally() const {
    static const RefreshTally noPlugin;  // nothing ever refreshes
    return side_ ? side_->Tally() : noPlugin;
}

void PluginPane::Refresh(const std::vector<ServerId>& ids) {
    if (!side_) return handlers_.log(L"Cannot refresh: Tribes.vtplugin could not be loaded (see above)");
    if (side_->Refreshing()) return handlers_.log(L"A refresh is running: wait for it, or cancel it (Esc)");
    if (ids.empty())
        return handlers_.hint(table_.Empty() ? L"Add servers first (Add..., Import...)"
                                             : L"Select the servers to refresh first");
    side_->Refresh(ids);
    handlers_.started();
}

void PluginPane::Cancel() {
    if (Refreshing()) side_->Cancel();
}

bool PluginPane::OnOther(UINT message, WPARAM, LPARAM) {
    if (message != SideMessage) return false;
    Take(false);
    return true;
}

void PluginPane::OnTimer(UINT_PTR timer) {
    if (timer == EventsTimer) Take(true);
}

void PluginPane::Take(bool waited) {
    if (!side_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!waited && side_->Refreshing() && now - lastTaken_ < ResultsEvery) {
        SetTimer(window_.get(), EventsTimer, static_cast<UINT>(ResultsEvery.count()), nullptr);
        return;
    }
    KillTimer(window_.get(), EventsTimer);
    lastTaken_ = now;
    SideBatch batch;
    for (SideEvent& event : side_->TakeEvents()) {
        switch (event.kind) {
            case SideEvent::Kind::Offered:
                table_.Offered(event.server, std::move(event.offered));
                break;
            case SideEvent::Kind::Result:
                batch.rowsChanged |=
                    table_.Answered(event.server, std::move(event.result), false) != nullptr;
                break;
            case SideEvent::Kind::Checked: {
                // A server pinged alone: a seat watch's look, a quick connect's.
                const bool answered =
                    event.done == 1 && table_.Answered(event.server, std::move(event.result), true);
                batch.rowsChanged |= answered;
                batch.answeredAlone |= answered;
                batch.checks.emplace_back(event.server, answered);
                break;
            }
            case SideEvent::Kind::Progress:
                break;
            case SideEvent::Kind::RefreshEnded:
                batch.refreshEnded = true;
                handlers_.log(event.text);
                break;
            case SideEvent::Kind::Log:
                handlers_.log(event.text);
                break;
        }
    }
    handlers_.taken(batch);
}
