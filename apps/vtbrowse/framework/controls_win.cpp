#include "apps/vtbrowse/framework/controls_win.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                   DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    // The parent's font (a pane's is the main window's, a dialog's its own), else the stock one.
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(parent, WM_GETFONT, 0, 0));
    if (control)
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(font ? font : GetStockObject(DEFAULT_GUI_FONT)), 0);
    return control;
}

HWND PaneControl(HWND window, int id) {
    if (HWND direct = GetDlgItem(window, id)) return direct;
    for (HWND pane = GetWindow(window, GW_CHILD); pane; pane = GetWindow(pane, GW_HWNDNEXT)) {
        if (HWND inside = GetDlgItem(pane, id)) return inside;
    }
    return nullptr;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    return std::wstring(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void ShowText(HWND window, const std::wstring& text) {
    if (WindowText(window) != text) SetWindowTextW(window, text.c_str());
}

void ShowEnabled(HWND window, bool enabled) {
    if ((IsWindowEnabled(window) != FALSE) != enabled) EnableWindow(window, enabled);
}

bool IsChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND button, bool checked) {
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void AddListColumn(HWND list, const std::wstring& heading, int width) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int index = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::wstring text = heading;
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = text.data();
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

namespace {

// The text of a list view's cell; nothing when it may have been cut to the buffer.
std::optional<std::wstring> CellText(HWND list, int row, int column) {
    wchar_t text[1024] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    const LRESULT length =
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (length >= 1023) return std::nullopt;
    return std::wstring(text);
}

}  // namespace

void ShowListRows(HWND list, const std::vector<std::vector<std::wstring>>& rows) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns =
        std::max(1, header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = count - 1; row >= static_cast<int>(rows.size()); --row)
        SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r);
        if (row >= count) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.pszText = const_cast<wchar_t*>(L"");
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        for (int column = 0; column < columns; ++column) {
            // The list view copies the text; it only asks for it writable.
            std::wstring cell =
                static_cast<size_t>(column) < rows[r].size() ? rows[r][static_cast<size_t>(column)] : L"";
            if (CellText(list, row, column) == cell) continue;
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = cell.data();
            SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
        }
    }
}

void RemoveListColumns(HWND list) {
    while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0)) {
    }
}

std::optional<std::wstring> AskOpenFile(HWND owner, const wchar_t* filter, const wchar_t* title,
                                        const std::wstring& current) {
    std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
    current.copy(path.data(), std::min(current.size(), path.size() - 1));
    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.lpstrFilter = filter;
    choice.lpstrFile = path.data();
    choice.nMaxFile = static_cast<DWORD>(path.size());
    choice.lpstrTitle = title;
    choice.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&choice)) return std::nullopt;
    return std::wstring(path.data());
}
