// Quick connect: an address box and a button. The address typed goes to the model, which lists the
// server if need be, asks it alone and, once its answer (or its silence) is in, has the join
// dialog open for it; `vtbrowse --join ADDRESS:PORT` does the same at start.
#pragma once

#include <string>

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class QuickConnectPane final : public Pane {
public:
    QuickConnectPane(HWND parent, BrowserModel& model);

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    // The button, or Enter in the box.
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void Connect(const std::string& typed);  // UTF-8

    BrowserModel& model_;
};
