// The status bar: what the running refresh has done (the plugin side's tally), or how the last
// one went, and how many servers are listed and shown. It only shows them.
#pragma once

#include <string>

#include "apps/vtbrowse/refresh_tally.h"
#include "contract/windows_headers.h"

class RefreshStatus {
public:
    RefreshStatus(HWND parent, int id);
    RefreshStatus(const RefreshStatus&) = delete;
    RefreshStatus& operator=(const RefreshStatus&) = delete;

    HWND Window() const { return bar_; }
    // Fits the bar to the bottom of its parent, width wide; the height it takes.
    int Layout(int width);
    // Shows tally's activity and the list's counts (ListCounts); fetching, when not empty, what a
    // fetch from master servers is doing, before the refresh's progress.
    void Show(const RefreshTally& tally, const std::wstring& counts, const std::wstring& fetching = L"");
    // A hint in place of the activity until the next Show.
    void Say(const wchar_t* hint);

private:
    HWND bar_;
};
