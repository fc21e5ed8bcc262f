// Small pieces every vtbrowse window uses to make and read its controls.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "contract/windows_headers.h"

// A child control of parent with the given class, text, style (WS_CHILD | WS_VISIBLE added) and
// id, in the dialog font of the system; destroyed with its parent.
HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                   DWORD exStyle = 0);
// The control with id in window or in one of its panes (a child that holds controls of its own);
// null when there is none.
HWND PaneControl(HWND window, int id);
std::wstring WindowText(HWND window);
bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);
// A report-style list view's column: heading and width, appended after the last.
void AddListColumn(HWND list, const std::wstring& heading, int width);
// Removes every column of a list view.
void RemoveListColumns(HWND list);
// Replaces a report-style list view's rows with rows (cells from the first column on), drawn
// once when all are in.
void FillListRows(HWND list, const std::vector<std::vector<std::wstring>>& rows);
// The file the user chose in the system's open dialog (filter as OPENFILENAMEW takes it), starting
// at current; none when cancelled.
std::optional<std::wstring> AskOpenFile(HWND owner, const wchar_t* filter, const wchar_t* title,
                                        const std::wstring& current = L"");
