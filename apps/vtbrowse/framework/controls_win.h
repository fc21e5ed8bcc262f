// Small pieces every vtbrowse window uses to make and read its controls.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/contract/windows_headers.h"

// A child control of parent with the given class, text, style (WS_CHILD | WS_VISIBLE added) and
// id, in parent's font (the stock dialog font when it has none); destroyed with its parent.
HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                   DWORD exStyle = 0);
// The control with id in window or in one of its panes (a child that holds controls of its own);
// null when there is none.
HWND PaneControl(HWND window, int id);
std::wstring WindowText(HWND window);
// Sets window's text only when it reads otherwise: a control repaints whenever its text is set.
void ShowText(HWND window, const std::wstring& text);
// Enables or disables window only when it is not so already.
void ShowEnabled(HWND window, bool enabled);
bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);
// A report-style list view's column: heading and width, appended after the last.
void AddListColumn(HWND list, const std::wstring& heading, int width);
// Removes every column of a list view.
void RemoveListColumns(HWND list);
// Makes a report-style list view's rows read rows (cells from the first column on; missing cells
// empty): only the cells that read otherwise are set, so only their items are drawn again; rows
// are added or taken off at the end.
void ShowListRows(HWND list, const std::vector<std::vector<std::wstring>>& rows);
// The file the user chose in the system's open dialog (filter as OPENFILENAMEW takes it), starting
// at current; none when cancelled.
std::optional<std::wstring> AskOpenFile(HWND owner, const wchar_t* filter, const wchar_t* title,
                                        const std::wstring& current = L"");
