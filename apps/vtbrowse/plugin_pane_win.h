// The plugin's side as a part of the window: a pane only for messages that loads the plugin
// (PluginSide), starts and cancels the window's refreshes and takes in what comes back, at most
// five times a second while a refresh runs: answers into the server table, which tells its
// subscribers, log lines to the log, and what else a batch held to the window. Whether a refresh
// runs is the plugin side's tally's to say.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/plugin_side_win.h"

// What a batch of the plugin side's events did.
struct SideBatch {
    bool rowsChanged = false;    // answers changed rows of the table
    bool answeredAlone = false;  // among them a check's
    bool refreshEnded = false;
    std::vector<std::pair<ServerId, bool>> checks;  // checks that ended: the server, whether it answered
};

class PluginPane final : public Pane {
public:
    struct Handlers {
        std::function<void(const std::wstring&)> log;
        std::function<void(const wchar_t*)> hint;  // for the status bar
        std::function<void(const SideBatch&)> taken;
        std::function<void()> started;  // a refresh started
    };

    // Hears table (which outlives the pane) through the plugin side, once loaded.
    PluginPane(ServerTable& table, Handlers handlers);

    // Loads the plugin at path; the log says why when it cannot be.
    void Load(const std::wstring& path, size_t mostSessions, int timeoutSeconds);
    // Null when the plugin could not be loaded.
    PluginSide* Side() const { return side_.get(); }
    bool Refreshing() const { return side_ && side_->Refreshing(); }
    const RefreshTally& Tally() const;
    // Refreshes ids; the log or a hint says why not when the plugin is missing, a refresh runs or
    // ids is empty.
    void Refresh(const std::vector<ServerId>& ids);
    void Cancel();

private:
    bool OnOther(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR timer) override;
    // Takes the events in; waited: the pause between batches is over.
    void Take(bool waited);

    ServerTable& table_;
    Handlers handlers_;
    std::chrono::steady_clock::time_point lastTaken_;
    std::unique_ptr<PluginSide> side_;
};
