// Small pieces every vtbrowse window uses to make and read its controls.
#pragma once

#include <string>

#include "contract/windows_headers.h"

// A child control of parent with the given class, text, style (WS_CHILD | WS_VISIBLE added) and
// id, in the dialog font of the system; destroyed with its parent.
HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                   DWORD exStyle = 0);
std::wstring WindowText(HWND window);
bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);
// A report-style list view's column: heading and width, appended after the last.
void AddListColumn(HWND list, const std::wstring& heading, int width);
// Removes every column of a list view.
void RemoveListColumns(HWND list);
