// Servers from master servers, as a part of the window: the fetch started and cancelled, each
// master's outcome and message of the day in the log, the lists merged into the server table
// (the server table decides what comes and goes; the pane merges a slice at a time, so that the
// window answers while the largest list goes in), the servers they listed refreshed (at once, or
// after the running refresh), and the masters dialog. The fetch's events and the merge's timer
// come to the pane's own window, one only for messages. The fetch counts as running until its
// lists are merged: no other starts before.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/vtbrowse/master_fetch_win.h"
#include "apps/vtbrowse/masters_dialog_win.h"
#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/server_table.h"

class MastersPane final : public Pane {
public:
    struct Handlers {
        std::function<void(const std::wstring&)> log;
        std::function<void(const wchar_t*)> hint;         // for the status bar
        std::function<void()> fetchChanged;               // a fetch started, went on or ended: the status
        std::function<void()> listChanged;                // the table took a fetch in: show it
        std::function<void()> save;                       // and then keep it
        std::function<void(const MasterChoice&)> chosen;  // the user chose other masters: keep them
        std::function<bool()> busy;                       // no refresh can start now
        std::function<void(const std::vector<ServerId>&)> refresh;
    };

    // Dialogs open over owner; table outlives the pane.
    MastersPane(HWND owner, ServerTable& table, MasterChoice choice, Handlers handlers);

    // Asks every master of the choice for its servers, unless a fetch runs.
    void Fetch();
    void Cancel() { fetch_.Cancel(); }
    // The masters dialog.
    void Edit();
    // Refreshes the servers the last fetches listed, once no refresh runs.
    void RefreshListed();
    const MasterTally& Tally() const { return fetch_.Tally(); }

private:
    bool OnOther(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR timer) override;
    void TakeLists(FetchEvent ended);
    // Takes the next steps of the fetch's lists in: the merge's slices, the fetch's end (its line
    // in the log, the list shown), the refresh of the servers listed, the save; true once all are
    // done.
    bool TakeListsOn();

    HWND owner_;
    ServerTable& table_;
    MasterChoice choice_;
    Handlers handlers_;
    MasterFetch fetch_;
    std::vector<ServerId> refreshAfter_;  // listed by masters while a refresh ran: refreshed after it
    enum class Taking { Nothing, Merging, Showing, Refreshing, Saving };
    Taking taking_ = Taking::Nothing;  // the step of the fetch's lists to take next
    double fetchSeconds_ = 0;          // the fetch being taken in: how long it took, and whether
    bool fetchCancelled_ = false;      // it was cancelled
};
