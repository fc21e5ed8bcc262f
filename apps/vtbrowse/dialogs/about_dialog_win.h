// vtbrowse's About box: its version and build, the plugin file it hosts, copyright and licence.
// The main window has no menu bar; the box is an item of its system menu (the title bar's).
#pragma once

#include <string>

#include "common/contract/windows_headers.h"

// The system menu's command for the box (WM_SYSCOMMAND). The system keeps the low four bits of
// these commands for itself: a multiple of 16, below the system's own from 0xF000.
constexpr UINT AboutCommand = 0x0010;

// Adds "About vtbrowse..." to the end of window's system menu.
void AddAboutItem(HWND window);

// Shows the About box over owner until the user closes it.
void ShowAboutBox(HWND owner, const std::wstring& pluginPath);
