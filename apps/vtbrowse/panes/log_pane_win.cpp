#include "apps/vtbrowse/panes/log_pane_win.h"

#include <algorithm>
#include <ctime>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "host/services/server_objects.h"
#include "host/text/utf8_text.h"

BOOL LogPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return TakeMessage(*this, {{WM_SIZE, &LogPane::OnSize}, {WM_TIMER, &LogPane::OnTimer}}, message, wParam,
                       lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

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

LogPane::LogPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_LOG_PANE);
    list_ =
        CreateControl(window_.get(), L"ListBox", L"",
                      LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_TABSTOP, IDC_LOG, WS_EX_CLIENTEDGE);
    SetTimer(window_.get(), ErrorTimer, ErrorPollMs, nullptr);
    model_.Subscribe(*this);
}

LogPane::~LogPane() {
    model_.Unsubscribe(*this);
}

void LogPane::Changed(const ModelChange& change) {
    for (const std::wstring& line : change.log) Add(line);
}

LRESULT LogPane::OnTimer(UINT, WPARAM timer, LPARAM, BOOL&) {
    if (timer != ErrorTimer) return 0;
    const std::vector<ErrorReport> reports = VtErrorReports();
    for (size_t i = errorsSeen_; i < reports.size(); ++i) Add(reports[i].title + L": " + reports[i].text);
    errorsSeen_ = std::max(errorsSeen_, reports.size());
    return 0;
}

LRESULT LogPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

void LogPane::Add(const std::wstring& text) {
    const std::wstring line = Clock() + L"  " + text;
    HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    if (errors && errors != INVALID_HANDLE_VALUE) {
        // The shell's stream takes UTF-8.
        const std::string utf8 = "vtbrowse: " + Utf8FromWide(line) + "\n";
        DWORD written = 0;
        WriteFile(errors, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
    if (SendMessageW(list_, LB_GETCOUNT, 0, 0) >= MostLogLines) SendMessageW(list_, LB_DELETESTRING, 0, 0);
    const LRESULT index = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}
