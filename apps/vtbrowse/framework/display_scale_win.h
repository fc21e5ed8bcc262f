// What the window needs to know of its display's scale: its DPI, the message font made for it and
// a small icon at it. The calls of Windows 10 that give these
// per monitor are looked up at run time: on older Windows the screen's DPI and the system's
// metrics stand in, so the program still runs on Windows 7.
#pragma once

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"

// The DPI window is shown at (GetDpiForWindow); before Windows 10, the screen's.
int WindowDpi(HWND window);
// The font of message boxes made for dpi (SystemParametersInfoForDpi): the font Windows' own
// windows use at that scale. Before Windows 10 the system's, its height scaled from the screen's
// DPI. Never empty: the stock dialog font's face when all else fails.
owners::unique_gdi_object MessageFont(int dpi);
// The application's small icon at the scale of the notification area.
owners::unique_icon SmallApplicationIcon();
