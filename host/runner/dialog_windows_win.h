// The plugin's network windows and message boxes are dialogs: windows of the system's dialog
// class. Hosts and tests tell them apart from other windows by it.
#pragma once

#include <string>

#include "common/contract/windows_headers.h"

inline bool IsDialogWindow(HWND window) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    return std::wstring(className) == L"#32770";
}
