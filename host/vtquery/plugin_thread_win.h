// The plugin as a host runs it: loaded, initialised and finally unloaded on one thread of its
// own, which owns the host's parent window and the plugin's command window and keeps pumping
// their messages while other threads send commands and ping.
#pragma once

#include <windows.h>

#include <future>
#include <stdexcept>
#include <string>
#include <thread>

#include "boundary/host_services.h"

// The plugin's entry points, as the host calls them.
using InitExport = void (*)(HWND parentWindow, UINT_PTR unused, HWND* resultWindow);
using PingExport = int (*)(VtHandle* handle);

// The plugin could not be loaded or initialised; what() says why, for the user.
struct PluginLoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class PluginThread {
public:
    // Starts the thread and returns once the plugin has given its command window.
    // Throws PluginLoadError when the file cannot be loaded, lacks an export or gives no window.
    explicit PluginThread(std::wstring pluginPath);
    // Stops the message loop; the thread unloads the plugin, then destroys its own window.
    ~PluginThread();
    PluginThread(const PluginThread&) = delete;
    PluginThread& operator=(const PluginThread&) = delete;

    // Sends a command to the command window and waits until the window thread has run it.
    LRESULT SendCommand(UINT command, WPARAM wParam, LPARAM lParam = 0) const;
    // Runs one ping on the calling thread, which must not be the window thread.
    int Ping(VtHandle& handle) const;

private:
    void Run(std::wstring pluginPath, std::promise<void> started);

    HWND commandWindow_ = nullptr;
    PingExport ping_ = nullptr;
    DWORD threadId_ = 0;
    std::string failure_;  // set by the thread when start-up failed
    std::thread thread_;
};
