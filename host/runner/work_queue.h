// A lane of background work: jobs run one after another on one thread of their own, in the
// order they were posted.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class WorkQueue {
public:
    WorkQueue();
    // Drops the jobs not yet started, waits for the one running, ends the thread.
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    void Post(std::function<void()> job);
    // No job running or waiting.
    bool Idle() const;

private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool running_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
