// The filters, a pane that shows the model's RowFilter: on its first row the name or map typed,
// the hide boxes and favourites only, on its second the players' choices (game type and mod, as
// the servers send them in their rules and offered as they arrive, password, ping under a bound).
// Each change the user makes goes to the model as the whole filter.
#pragma once

#include <string>
#include <vector>

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class FilterPane final : public Pane, private ModelObserver {
public:
    FilterPane(HWND parent, BrowserModel& model);
    ~FilterPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The model's filter in the controls; the lists offering the model's choices.
    void Show();
    void ShowChoices();
    void Fill(int combo, std::vector<std::wstring> values, const std::wstring& chosen);

    BrowserModel& model_;
    bool showing_ = false;  // the pane sets its controls: their notifications are not the user's
};
