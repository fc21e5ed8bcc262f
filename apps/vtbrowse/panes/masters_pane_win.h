// The masters' buttons at the right end of the filters' second row: get servers from the masters
// (the window's command, as Ctrl+G), and the masters dialog. Getting is offered while no fetch runs.
#pragma once

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class MastersPane final : public Pane, private ModelObserver {
public:
    MastersPane(HWND parent, BrowserModel& model);
    ~MastersPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    BrowserModel& model_;
    HWND get_ = nullptr;  // "Get from masters", offered while no fetch runs
};
