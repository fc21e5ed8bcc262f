// The status bar, a pane: what the running refresh has done (the plugin side's tally), or how the
// last one went, and how many servers are listed and shown. It only shows them.
#pragma once

#include <string>

#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/refresh_tally.h"

class RefreshStatus final : public Pane {
public:
    explicit RefreshStatus(HWND parent);

    // The height the bar takes in its font.
    int Height();
    // Shows tally's activity and the list's counts (ListCounts); fetching, when not empty, what a
    // fetch from master servers is doing, before the refresh's progress.
    void Show(const RefreshTally& tally, const std::wstring& counts, const std::wstring& fetching = L"");
    // A hint in place of the activity until the next Show.
    void Say(const wchar_t* hint);

private:
    void OnSize(int width, int height) override;
    // The bar's size grip hands its clicks to its parent, the pane: they size the main window.
    bool OnOther(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Sets part's text when it reads otherwise.
    void ShowPart(int part, const std::wstring& text);

    HWND bar_ = nullptr;
    std::wstring shown_[2];  // the parts' texts
};
