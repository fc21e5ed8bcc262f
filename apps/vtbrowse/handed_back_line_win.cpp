#include "apps/vtbrowse/handed_back_line_win.h"

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "host/text/utf8_text.h"

HandedBackLine::HandedBackLine(HWND parent) {
    CreatePane(parent, IDC_HANDED_BACK_PANE);
    line_ = CreateControl(window_.get(), L"Static", L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                          IDC_HANDED_BACK);
}

std::wstring HandedBackLine::Show(const VtPluginServerStruct* record, const ServerRow* row) {
    const std::wstring handle = record ? WideFromUtf8(record->handle.toCharString()) : L"(nothing)";
    const std::wstring name =
        row && !row->last.status.serverName.empty() ? L" (" + row->last.status.serverName + L")" : L"";
    const std::wstring text = L"Passed back by the plugin: " + handle + name;
    ShowText(line_, text);
    return text;
}

void HandedBackLine::OnSize(int width, int height) {
    MoveWindow(line_, 0, 0, width, height, TRUE);
}
