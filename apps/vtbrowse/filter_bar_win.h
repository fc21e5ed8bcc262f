// The filters players choose servers by, in a row of their own: game type and mod (the values the
// servers send in their rules, offered as they arrive), password, ping under a bound, favourites
// only. They hold the RowFilter fields of player_filters.h; the window reads them back when the
// bar reports a change.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/server_table.h"

class FilterBar final : public Pane {
public:
    FilterBar(HWND parent, int id, std::function<void()> changed);

    // Shows filter's choices; reports no change.
    void Show(const RowFilter& filter);
    // Fills the fields of filter the bar holds.
    void Read(RowFilter& filter) const;
    // Offers the game types and mods the servers of rows sent, the chosen ones kept.
    void OfferChoices(const ServerTable& rows);

private:
    void OnCommand(int id, int code) override;
    void OnSize(int width, int height) override;
    void Fill(int combo, const std::wstring& anyText, std::vector<std::wstring> values,
              const std::wstring& chosen);

    std::function<void()> changed_;
    std::wstring gameType_;  // as chosen, offered whether or not a server sends it now
    std::wstring mod_;
    bool showing_ = false;  // Show sets the controls: their notifications are not the user's
};
