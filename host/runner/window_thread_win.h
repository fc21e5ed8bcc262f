// A thread that owns windows and keeps pumping their messages, as a host's window thread does:
// it makes a hidden top-level window of its own (a parent for others), runs work handed to it,
// and ends when its owner goes.
#pragma once

#include <functional>
#include <stdexcept>
#include <thread>

#include "common/contract/windows_headers.h"

// No window could be made: on Windows hardly ever, under Wine whenever its graphics driver has
// no display (a machine without one needs Wine's null driver).
struct NoWindowError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class WindowThread {
public:
    // Starts the thread and returns once its window exists. Throws NoWindowError when the window
    // cannot be made, std::runtime_error when the thread cannot start.
    WindowThread();
    // Ends the pump; the thread destroys its window on its way out.
    ~WindowThread();
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    HWND Window() const { return window_; }
    DWORD ThreadId() const { return threadId_; }
    bool IsCurrent() const { return GetCurrentThreadId() == threadId_; }
    // Runs work on the thread and waits for it; from the thread itself, runs it at once.
    void Run(const std::function<void()>& work) const;

private:
    void Main(HANDLE ready);

    HWND window_ = nullptr;
    DWORD creationError_ = 0;
    DWORD threadId_ = 0;
    std::thread thread_;
};
