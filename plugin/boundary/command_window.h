// The hidden command window the host sends its numbered commands to, and the module-wide
// values the plugin's windows share.
#pragma once

#include <string>

#include "common/contract/commands.h"
#include "common/contract/host_window.h"
#include "common/owners/unique_resource.h"

// The plugin's own module: its resources and its window class.
extern HINSTANCE moduleInstance;
// The window given to the latest init call: parent of the command and network windows.
extern HWND hostParentWindow;
// The command window; empty until created, destroyed at process detach.
extern owners::unique_hwnd commandWindow;

// The plugin's identity string (string table entry 3) as 8-bit text, loaded into a buffer of
// bufferSize bytes, so at most bufferSize - 1 of its characters; empty when the load fails,
// which is not reported.
std::string LoadIdentityString(int bufferSize);

// The command window's procedure: the command table; anything else goes to DefWindowProcA.
LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Records parent as hostParentWindow, registers the window class once and creates the command
// window unless it exists. Returns the command window (null when its creation failed).
HWND OpenCommandWindow(HWND parent);
// Destroys the command window, if any, and unregisters its class. Process detach only.
void CloseCommandWindow();
