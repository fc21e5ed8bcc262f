// The seat watch in the window: a line that says what the model's watch waits for (or how it
// ended) and a button to stop it. The pane runs the watch's timer: at each tick the model decides
// whether to ping, launch or give up.
#pragma once

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class SeatWatchPane final : public Pane, private ModelObserver {
public:
    SeatWatchPane(HWND parent, BrowserModel& model);
    ~SeatWatchPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    BrowserModel& model_;
};
