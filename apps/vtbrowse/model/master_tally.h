// The count of a fetch from master servers as it runs, and how vtbrowse words it in its status
// bar and log. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "apps/masters/master_outcome.h"
#include "apps/vtbrowse/model/server_table.h"

class MasterTally {
public:
    // A fetch from masters begins: every count from zero.
    void Start(size_t masters);
    // One master's exchange ended: its servers counted.
    void Ended(const MasterOutcome& outcome);
    void Cancel();
    // The fetch ended and its lists were merged into the list: the line that says how it went,
    // and what the entries received came to (repeats merged, entries left out and why).
    std::wstring End(const std::vector<MasterOutcome>& outcomes, const MastersMerge& merge, double seconds,
                     bool cancelled);

    bool Running() const { return running_; }
    bool Cancelling() const { return running_ && cancelling_; }
    // What the status bar says of the fetch while it runs.
    std::wstring Activity() const;

private:
    bool running_ = false;
    bool cancelling_ = false;
    size_t masters_ = 0;
    size_t done_ = 0;
    size_t servers_ = 0;  // as the masters listed them, repeats between masters counted
};
