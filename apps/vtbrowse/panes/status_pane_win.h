// The status bar, a pane: what runs now (a fetch from masters, a refresh) or how the last refresh
// went, and how many servers are listed and shown; a hint in place of the activity until the
// next notice. It only shows what the model says.
#pragma once

#include <string>

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class StatusPane final : public Pane, private ModelObserver {
public:
    StatusPane(HWND parent, BrowserModel& model);
    ~StatusPane() override;

    // The height the bar takes in its font.
    int Height();

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The bar's size grip hands its clicks to its parent, the pane: they size the main window.
    LRESULT OnGripClick(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // Sets part's text when it reads otherwise.
    void ShowPart(int part, const std::wstring& text);

    BrowserModel& model_;
    HWND bar_ = nullptr;
    std::wstring shown_[2];  // the parts' texts
};
