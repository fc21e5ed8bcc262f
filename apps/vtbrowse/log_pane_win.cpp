#include "apps/vtbrowse/log_pane_win.h"

#include <algorithm>
#include <ctime>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "host/services/server_objects.h"
#include "host/text/utf8_text.h"

namespace {

constexpr int MostLogLines = 2000;
constexpr UINT_PTR ErrorTimer = 1;
constexpr UINT ErrorPollMs = 250;

std::wstring Clock() {
    const std::time_t now = std::time(nullptr);
    wchar_t text[16] = L"";
    if (const std::tm* local = std::localtime(&now)) std::wcsftime(text, 16, L"%H:%M:%S", local);
    return text;
}

}  // namespace

LogPane::LogPane(HWND parent) {
    CreatePane(parent, IDC_LOG_PANE);
    list_ =
        CreateControl(window_.get(), L"ListBox", L"",
                      LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_TABSTOP, IDC_LOG, WS_EX_CLIENTEDGE);
    SetTimer(window_.get(), ErrorTimer, ErrorPollMs, nullptr);
}

void LogPane::OnTimer(UINT_PTR timer) {
    if (timer != ErrorTimer) return;
    const std::vector<ErrorReport> reports = VtErrorReports();
    for (size_t i = errorsSeen_; i < reports.size(); ++i) Add(reports[i].title + L": " + reports[i].text);
    errorsSeen_ = std::max(errorsSeen_, reports.size());
}

void LogPane::OnSize(int width, int height) {
    MoveWindow(list_, 0, 0, width, height, TRUE);
}

void LogPane::Add(const std::wstring& text) {
    const std::wstring line = Clock() + L"  " + text;
    HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    if (errors && errors != INVALID_HANDLE_VALUE) {
        const std::string utf8 = "vtbrowse: " + Utf8FromWide(line) + "\n";
        DWORD written = 0;
        WriteFile(errors, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
    if (SendMessageW(list_, LB_GETCOUNT, 0, 0) >= MostLogLines) SendMessageW(list_, LB_DELETESTRING, 0, 0);
    const LRESULT index = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}
