#include "apps/vtbrowse/model/masters_intake.h"

#include <unordered_set>
#include <utility>

namespace {

// A slice of the merge: this many entries or rows at a time between looks at the clock.
constexpr size_t MergeRowsAtOnce = 1024;

}  // namespace

void MastersIntake::Fetched(ServerTable& table, std::vector<MasterOutcome> outcomes, double seconds,
                            bool cancelled, AddedRows& added, std::vector<ServerId>& removed,
                            bool& refreshLeft, bool& saveLeft) {
    // A fetch cannot end while the one before merges; it may while that one refreshes or saves.
    refreshLeft = next_ == Step::Refresh;
    saveLeft = next_ == Step::Refresh || next_ == Step::Save;
    seconds_ = seconds;
    cancelled_ = cancelled;
    table.StartMerge(std::move(outcomes), added, removed);
    next_ = Step::Merged;
}

MastersIntake::Step MastersIntake::Next(ServerTable& table, AddedRows& added, std::vector<ServerId>& removed,
                                        std::wstring& line) {
    const Step step = next_;
    switch (step) {
        case Step::Merged:
            if (table.MergeSlice(MergeRowsAtOnce, added, removed)) next_ = Step::Shown;
            break;
        case Step::Shown: {
            std::vector<MasterOutcome> outcomes;
            const MastersMerge merge = table.TakeMerge(outcomes);
            line = tally_.End(outcomes, merge, seconds_, cancelled_);
            listed_.insert(listed_.end(), merge.listed.begin(), merge.listed.end());
            next_ = Step::Refresh;
            break;
        }
        case Step::Refresh:
            next_ = Step::Save;
            break;
        case Step::Save:
            next_ = Step::Done;
            break;
        case Step::Done:
            break;
    }
    return step;
}

std::vector<ServerId> MastersIntake::TakeListed(const ServerTable& table) {
    std::vector<ServerId> listed;
    std::unordered_set<ServerId> seen;  // a fetch lists tens of thousands: no search of listed for each
    for (const ServerId id : std::exchange(listed_, {})) {
        if (table.Find(id) && seen.insert(id).second) listed.push_back(id);
    }
    return listed;
}
