// Events handed from other threads to the window's thread: queued under a lock, and announced by
// one posted message until the window takes them. A refresh of thousands of servers so posts a
// handful of messages, not one per answer, through the Wine server that its pings need too.
#pragma once

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "common/contract/windows_headers.h"

template <class Event>
class PostedMailbox {
public:
    // Where the announcements go; set before the first Push from another thread.
    void Address(HWND window, UINT message) {
        window_ = window;
        message_ = message;
    }

    // Any thread.
    void Push(Event event) {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            events_.push_back(std::move(event));
        }
        if (!announced_.exchange(true)) PostMessageW(window_, message_, 0, 0);
    }

    // The window's thread: every event queued so far, in the order pushed; the next Push
    // announces again.
    std::vector<Event> Take() {
        std::lock_guard<std::mutex> hold(mutex_);
        announced_ = false;
        return std::exchange(events_, {});
    }

private:
    HWND window_ = nullptr;
    UINT message_ = 0;
    std::mutex mutex_;  // events_
    std::vector<Event> events_;
    std::atomic<bool> announced_{false};
};
