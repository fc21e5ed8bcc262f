#include "apps/vtbrowse/model/master_tally.h"

#include <algorithm>
#include <cwchar>

#include "apps/vtbrowse/model/refresh_tally.h"

namespace {

// What the entries the masters sent came to, in vtquery's words: "; 505 entries received, 200
// repeats merged, left out 5 entries no server can have (1 broadcast, ...)"; empty with no entry.
// A server two masters list is a repeat merged too.
std::wstring EntriesText(const std::vector<MasterOutcome>& outcomes, size_t listed) {
    int entries = 0;
    size_t repeats = 0;
    size_t kept = 0;
    UnusableCounts leftOut;
    for (const MasterOutcome& outcome : outcomes) {
        entries += outcome.entriesReceived;
        repeats += static_cast<size_t>(outcome.repeats);
        kept += outcome.servers.size();
        for (size_t i = 0; i < UnusableKinds; ++i) leftOut.byKind[i] += outcome.leftOut.byKind[i];
    }
    if (entries == 0) return L"";
    repeats += kept > listed ? kept - listed : 0;
    std::wstring text = L"; " + Plural(static_cast<size_t>(entries), L"entry", L"entries") + L" received";
    if (repeats > 0) text += L", " + Plural(repeats, L"repeat", L"repeats") + L" merged";
    if (leftOut.Total() > 0) {
        text += L", left out " + Plural(static_cast<size_t>(leftOut.Total()), L"entry", L"entries") +
                L" no server can have (" + leftOut.Text<wchar_t>() + L")";
    }
    return text;
}

}  // namespace

void MasterTally::Start(size_t masters) {
    *this = MasterTally{};
    running_ = true;
    masters_ = masters;
}

void MasterTally::Ended(const MasterOutcome& outcome) {
    ++done_;
    servers_ += outcome.servers.size();
}

void MasterTally::Cancel() {
    if (running_) cancelling_ = true;
}

std::wstring MasterTally::End(const std::vector<MasterOutcome>& outcomes, const MastersMerge& merge,
                              double seconds, bool cancelled) {
    running_ = false;
    cancelling_ = false;
    const auto answered = std::count_if(outcomes.begin(), outcomes.end(), [](const MasterOutcome& outcome) {
        return outcome.status == MasterStatus::Complete || outcome.status == MasterStatus::Partial;
    });
    wchar_t time[32];
    std::swprintf(time, 32, L"%.2f s", seconds);
    std::wstring line = (cancelled ? L"Masters cancelled: got " : L"Got ") +
                        Plural(merge.listed.size(), L"server", L"servers") + L" from " +
                        std::to_wstring(answered) + L" of " + Plural(outcomes.size(), L"master", L"masters") +
                        L" in " + time + L": " + std::to_wstring(merge.added.size()) + L" new, " +
                        std::to_wstring(merge.removed.size()) + L" taken off (no master lists them any more)";
    if (merge.notListed > 0)
        line += L", " + Plural(merge.notListed, L"favourite", L"favourites") + L" not listed";
    return line + EntriesText(outcomes, merge.listed.size());
}

std::wstring MasterTally::Activity() const {
    if (Cancelling()) return L"Cancelling: each master's exchange ends with what has arrived";
    return L"Getting servers from masters: " + std::to_wstring(done_) + L" of " + std::to_wstring(masters_) +
           L" done, " + Plural(servers_, L"server", L"servers") + L" so far (Esc cancels)";
}
