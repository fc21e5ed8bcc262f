// Servers from master servers, as a part of the window: the fetch started and cancelled, each
// master's outcome and message of the day in the log, the lists merged into the server table
// (ServerTable::MergeMasterLists decides what comes and goes), the servers they listed refreshed
// (at once, or after the running refresh), and the masters dialog. The fetch's events come to
// the pane's own window, one only for messages.
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
        std::function<void()> listChanged;                // the table took a fetch in
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
    void TakeLists(const FetchEvent& ended);

    HWND owner_;
    ServerTable& table_;
    MasterChoice choice_;
    Handlers handlers_;
    MasterFetch fetch_;
    std::vector<ServerId> refreshAfter_;  // listed by masters while a refresh ran: refreshed after it
};
