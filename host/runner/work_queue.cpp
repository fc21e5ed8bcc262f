#include "host/runner/work_queue.h"

WorkQueue::WorkQueue() : thread_([this] { Run(); }) {}

WorkQueue::~WorkQueue() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void WorkQueue::Post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

bool WorkQueue::Idle() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return jobs_.empty() && !running_;
}

void WorkQueue::Run() {
    std::unique_lock<std::mutex> hold(mutex_);
    for (;;) {
        changed_.wait(hold, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) return;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        hold.unlock();
        job();
        hold.lock();
        running_ = false;
    }
}
