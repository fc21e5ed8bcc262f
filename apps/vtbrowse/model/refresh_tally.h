// The count of a refresh as it runs, and how vtbrowse words it in its status bar and log.
// Portable: tested natively.
#pragma once

#include <cstddef>
#include <string>

#include "apps/shared/server_result.h"

class RefreshTally {
public:
    // A refresh of total servers begins: every count from zero.
    void Start(size_t total);
    void Count(Outcome outcome);
    void Progress(size_t done, size_t total);
    void Cancel();
    // The refresh ended: the line that says how it went, kept as the idle text.
    std::wstring End(size_t done, size_t total, double seconds, bool cancelled);

    bool Running() const { return running_; }
    bool Cancelling() const { return running_ && cancelling_; }
    // What the status bar says of the refresh: its progress while it runs, the last total after.
    std::wstring Activity() const;

private:
    bool running_ = false;
    bool cancelling_ = false;
    size_t done_ = 0;
    size_t total_ = 0;
    size_t answered_ = 0;
    size_t timedOut_ = 0;
    size_t failed_ = 0;
    std::wstring lastTotals_;
};

// "1 server" / "3 servers".
std::wstring Plural(size_t count, const wchar_t* one, const wchar_t* many);
// The status bar's count of the list: "4 servers, 3 shown", and ", every 30 s" when it refreshes
// by itself (everySeconds > 0).
std::wstring ListCounts(size_t servers, size_t shown, int everySeconds);
