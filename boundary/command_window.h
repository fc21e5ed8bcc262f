// The hidden command window the host sends its numbered commands to, and the module-wide
// values the plugin's windows share.
#pragma once

#include "boundary/host_services.h"
#include "boundary/host_window.h"
#include "compat/unique_resource.h"

// The plugin's own module: its resources and its window class.
extern HINSTANCE moduleInstance;
// The window given to the latest init call: parent of the command and network windows.
extern HWND hostParentWindow;
// The command window; empty until created, destroyed at process detach.
extern compat::unique_hwnd commandWindow;

// Commands: WM_USER + 10 to 17, and WM_USER + 100.
enum Command : UINT {
    CMD_IGNORED = WM_USER + 10,
    CMD_RELEASE_ALL = WM_USER + 11,
    CMD_CREATE_SESSION = WM_USER + 12,
    CMD_REMOVE_SESSION = WM_USER + 13,
    CMD_LAUNCH = WM_USER + 14,
    CMD_PLUGIN_MENU = WM_USER + 15,
    CMD_QUERY_SUPPORT = WM_USER + 17,
    CMD_FORWARD = WM_USER + 100,
};

// What command 1124 points at: filled by the host, read only while the command runs.
struct HostWindowRecord {
    VtHandle* handle;
    VtHostWindow* window;
};

// The command window's procedure: the command table; anything else goes to DefWindowProcA.
LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Records parent as hostParentWindow, registers the window class once and creates the command
// window unless it exists. Returns the command window (null when its creation failed).
HWND OpenCommandWindow(HWND parent);
// Destroys the command window, if any, and unregisters its class. Process detach only.
void CloseCommandWindow();
