#include "apps/vtbrowse/model/refresh_tally.h"

#include <cwchar>

namespace {

std::wstring Seconds(double seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.2f s", seconds);
    return text;
}

}  // namespace

void RefreshTally::Start(size_t total) {
    *this = RefreshTally{};
    running_ = true;
    total_ = total;
}

void RefreshTally::Count(Outcome outcome) {
    ++(outcome == Outcome::Success ? answered_ : outcome == Outcome::Timeout ? timedOut_ : failed_);
}

void RefreshTally::Progress(size_t done, size_t total) {
    done_ = done;
    total_ = total;
}

void RefreshTally::Cancel() {
    if (running_) cancelling_ = true;
}

std::wstring RefreshTally::End(size_t done, size_t total, double seconds, bool cancelled) {
    running_ = false;
    cancelling_ = false;
    lastTotals_ = (cancelled ? L"Refresh cancelled: " : L"Refreshed ") + std::to_wstring(done) + L" of " +
                  Plural(total, L"server", L"servers") + L" in " + Seconds(seconds) + L": " +
                  std::to_wstring(answered_) + L" answered, " + std::to_wstring(timedOut_) + L" timed out, " +
                  std::to_wstring(failed_) + L" failed";
    return lastTotals_;
}

std::wstring RefreshTally::Activity() const {
    if (Cancelling()) {
        return L"Cancelling: " + std::to_wstring(done_) + L" of " + std::to_wstring(total_) +
               L" refreshed; the servers still being asked have until their time-out to answer";
    }
    if (running_) {
        return L"Refreshing " + std::to_wstring(done_) + L" of " + std::to_wstring(total_) + L"... " +
               std::to_wstring(answered_) + L" answered, " + std::to_wstring(timedOut_ + failed_) +
               L" no answer (Esc cancels)";
    }
    return lastTotals_.empty() ? L"Ready: F5 refreshes, Ctrl+F finds a player, Enter joins" : lastTotals_;
}

std::wstring Plural(size_t count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

std::wstring ListCounts(size_t servers, size_t shown, int everySeconds) {
    std::wstring counts = Plural(servers, L"server", L"servers") + L", " + std::to_wstring(shown) + L" shown";
    if (everySeconds > 0) counts += L", every " + std::to_wstring(everySeconds) + L" s";
    return counts;
}
