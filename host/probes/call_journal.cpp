#include "host/probes/call_journal.h"

void CallJournal::Record(std::wstring line) {
    std::lock_guard<std::mutex> hold(mutex_);
    lines_.push_back(std::move(line));
}

std::vector<std::wstring> CallJournal::Lines() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return lines_;
}

void CallJournal::Clear() {
    std::lock_guard<std::mutex> hold(mutex_);
    lines_.clear();
}
