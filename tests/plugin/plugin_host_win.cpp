#include "tests/plugin/plugin_host_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "common/owners/unique_resource.h"
#include "host/runner/dialog_windows_win.h"
#include "host/services/offered.h"

namespace integration {

namespace {

constexpr wchar_t TestWindowClass[] = L"TribesTestWindow";

// What the tests' own windows do: keep what the plugin forwards to them.
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host = reinterpret_cast<PluginHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == CMD_FORWARD && host) {
        host->forwarded.emplace_back(wParam, lParam);  // sent: the sender waits, so no lock
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct {
    std::shared_ptr<CallJournal> journal;
    std::map<HWND, std::wstring> names;
    HHOOK hook = nullptr;
} destruction;

LRESULT CALLBACK OnWindowEvent(int code, WPARAM wParam, LPARAM lParam) {
    auto named = destruction.names.find(reinterpret_cast<HWND>(wParam));
    if (code == HCBT_DESTROYWND && named != destruction.names.end()) {
        destruction.journal->Record(L"window.Destroy(" + named->second + L")");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Collects the dialogs among the windows it is shown (a WNDENUMPROC).
BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    if (IsDialogWindow(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

PluginHost::PluginHost() : parentWindow(runner.ParentWindow()), commandWindow(runner.CommandWindow()) {
    forwardWindow = CreateHostWindow();
    EXPECT_NE(forwardWindow, nullptr);
}

HWND PluginHost::CreateHostWindow() {
    HWND window = nullptr;
    OnWindowThread([&] {
        static const auto registration =
            owners::unique_window_class::Register(TestWindowClass, TestWindowProc);
        // Destroyed with the window thread, when the runner goes.
        window = CreateWindowExW(0, TestWindowClass, L"Test host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), this);
    });
    return window;
}

HWND PluginHost::CreateSession(TestServer& server) {
    const std::vector<HWND> before = NetworkWindows(parentWindow);
    SessionCreateRecord record = server.Record();
    Send(CMD_CREATE_SESSION, reinterpret_cast<WPARAM>(&record));
    for (HWND window : NetworkWindows(parentWindow)) {
        if (std::find(before.begin(), before.end(), window) == before.end()) return window;
    }
    return nullptr;
}

std::vector<HWND> PluginHost::NetworkWindows(HWND parent) const {
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND TestHostWindow::GetWindowHandle() {
    return Offered([this] {
        const HostFault planned = std::exchange(fault, HostFault::None);
        if (planned == HostFault::Exception) throw std::runtime_error("the host window failed");
        MakeHostFault(planned, L"GetWindowHandle");
        return window_;
    });
}

TestServer::TestServer(const char* handleText, std::shared_ptr<CallJournal> sharedJournal)
    : HostedServer(handleText),
      journal(sharedJournal ? std::move(sharedJournal) : std::make_shared<CallJournal>()) {
    entry->SetAddress(L"127.0.0.1");
    entry->SetLabel(L"Alpha server");
    entry->SetTimeout(2);
    entryProbe = Probe(*entry, journal);
    dataProbe = Probe(*data, journal);
}

std::vector<std::wstring> TestServer::JournalSince(std::size_t from) const {
    std::vector<std::wstring> lines = journal->Lines();
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())));
    return lines;
}

void RecordWindowDestruction(std::shared_ptr<CallJournal> journal, std::map<HWND, std::wstring> names) {
    if (destruction.hook) UnhookWindowsHookEx(destruction.hook);
    destruction.journal = std::move(journal);
    destruction.names = std::move(names);
    destruction.hook = SetWindowsHookExW(WH_CBT, OnWindowEvent, nullptr, GetCurrentThreadId());
}

std::vector<std::wstring> Calls(const std::wstring& lines) {
    std::vector<std::wstring> calls;
    for (std::size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
        end = lines.find(L'|', start);
        calls.push_back(lines.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    }
    return calls;
}

}  // namespace integration
