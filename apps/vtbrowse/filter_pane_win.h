// The filters, a pane that owns the whole RowFilter: on its first row the name or map typed, the
// hide boxes and favourites only, on its second the players' choices (game type and mod, as the
// servers send them in their rules and offered as they arrive, password, ping under a bound).
// It reports each change; the window then asks it for the filter.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/server_table.h"

class FilterPane final : public Pane {
public:
    // Shows filter, reporting no change.
    FilterPane(HWND parent, const RowFilter& filter, std::function<void()> changed);

    const RowFilter& Filter() const { return filter_; }
    // Offers the game types and mods the servers of rows sent, the chosen ones kept.
    void OfferChoices(const ServerTable& rows);

private:
    void OnCommand(int id, int code) override;
    void OnSize(int width, int height) override;
    void Show();
    void Read();
    void Fill(int combo, const std::wstring& anyText, std::vector<std::wstring> values,
              const std::wstring& chosen);

    std::function<void()> changed_;
    RowFilter filter_;
    bool showing_ = false;  // the pane sets its controls: their notifications are not the user's
};
