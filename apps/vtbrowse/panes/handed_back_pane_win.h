// The line that shows what the plugin last passed back to the window (command 1124, asked for
// from the list's context menu): a pane beside the seat watch's line, empty until then.
#pragma once

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class HandedBackPane final : public Pane, private ModelObserver {
public:
    HandedBackPane(HWND parent, BrowserModel& model);
    ~HandedBackPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    BrowserModel& model_;
    HWND line_ = nullptr;
};
