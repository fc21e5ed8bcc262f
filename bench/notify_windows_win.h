// Windows on a message-pumping thread of their own, each turning the data-ready notifications
// of a socket into counts on its own semaphore: the carrier of a ping, without a ping.
#pragma once

#include "contract/windows_headers.h"

#include <vector>

#include "owners/unique_resource.h"

class NotifyWindows {
public:
    // The notification message the sockets are told to post (the number pings use).
    static constexpr UINT NotifyMessage = WM_USER + 100;

    // Creates count windows and their semaphores on a new thread that then pumps messages.
    // Throws std::runtime_error when the thread or a window cannot be made.
    explicit NotifyWindows(int count);
    // Stops the pump; the windows are destroyed on their own thread.
    ~NotifyWindows();
    NotifyWindows(const NotifyWindows&) = delete;
    NotifyWindows& operator=(const NotifyWindows&) = delete;

    int Count() const { return static_cast<int>(windows_.size()); }
    HWND Window(int index) const { return windows_[static_cast<std::size_t>(index)]; }
    // The wait list of one handle for the window at index.
    const HANDLE* Semaphore(int index) const {
        return semaphores_[static_cast<std::size_t>(index)].addressof();
    }

    // Processor time (user and kernel) the window thread has used so far, in milliseconds.
    double ThreadCpuMilliseconds() const;

private:
    static DWORD WINAPI Pump(void* self);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<owners::unique_handle> semaphores_;
    std::vector<HWND> windows_;  // owned by the pump thread, which creates and destroys them
    owners::unique_handle ready_;
    bool created_ = false;
    DWORD threadId_ = 0;
    owners::unique_handle thread_;
};

// Processor time (user and kernel) a thread has used, in milliseconds; 0 when unknown.
double ThreadCpuMilliseconds(HANDLE thread);
