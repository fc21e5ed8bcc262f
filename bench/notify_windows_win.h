// Windows on a window thread of their own, each turning the data-ready notifications of a socket
// into counts on its own semaphore: the carrier of a ping, without a ping.
#pragma once

#include <vector>

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"
#include "plugin/query/network_dlg.h"
#include "host/runner/window_thread_win.h"

class NotifyWindows {
public:
    // The notification message the sockets are told to post: the number pings use.
    static constexpr UINT NotifyMessage = WM_SOCKET_NOTIFY;

    // Creates count windows and their semaphores on a new window thread.
    // Throws std::runtime_error when the thread or a window cannot be made.
    explicit NotifyWindows(int count);
    // The windows are destroyed on their own thread, before it ends.
    ~NotifyWindows();
    NotifyWindows(const NotifyWindows&) = delete;
    NotifyWindows& operator=(const NotifyWindows&) = delete;

    int Count() const { return static_cast<int>(windows_.size()); }
    HWND Window(int index) const { return windows_[static_cast<std::size_t>(index)].get(); }
    // The wait list of one handle for the window at index.
    const HANDLE* Semaphore(int index) const {
        return semaphores_[static_cast<std::size_t>(index)].addressof();
    }

    // Processor time (user and kernel) the window thread has used so far, in milliseconds.
    double ThreadCpuMilliseconds() const;

private:
    WindowThread thread_;
    std::vector<owners::unique_handle> semaphores_;
    std::vector<owners::unique_hwnd> windows_;  // made and destroyed on thread_
};

// Processor time (user and kernel) a thread has used, in milliseconds; 0 when unknown.
double ThreadCpuMilliseconds(HANDLE thread);
