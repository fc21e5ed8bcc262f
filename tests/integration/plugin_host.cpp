#include "tests/integration/plugin_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

namespace integration {

namespace {

constexpr UINT RunWorkMessage = WM_APP + 1;
constexpr const wchar_t* HostWindowClass = L"TribesTestHost";

std::wstring PluginPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path);
    return text.substr(0, text.find_last_of(L"\\/") + 1) + L"Tribes.vtplugin";
}

// GetProcAddress's generic function type to the export's own (through void*, which GCC allows).
template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
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

}  // namespace

PluginHost::PluginHost(std::chrono::seconds lifetime) {
    std::promise<void> ready;
    thread_ = std::thread([this, &ready, lifetime] {
        windowThread_ = GetCurrentThreadId();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = HostWindowProc;
        windowClass.lpszClassName = HostWindowClass;
        RegisterClassW(&windowClass);
        hostWindow = CreateHostWindow();
        module_ = LoadLibraryW(PluginPath().c_str());
        init_ = Export<InitVantorProtocol>(module_, InitExportName);
        ping_ = Export<PingVantorProtocol>(module_, PingExportName);
        if (init_) init_(hostWindow, 0, &commandWindow);
        ready.set_value();

        const auto deadline = std::chrono::steady_clock::now() + lifetime;
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message;
            for (int n = 0; n < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
                DispatchMessageW(&message);
            }
        }
        if (module_) FreeLibrary(module_);
        if (destruction.hook) UnhookWindowsHookEx(destruction.hook);
        destruction = {};
    });
    ready.get_future().wait();
    // Not fatal here (a constructor cannot stop the test); every test fails without them.
    EXPECT_NE(ping_, nullptr) << "cannot load the plugin beside the test program";
    EXPECT_NE(commandWindow, nullptr);
}

PluginHost::~PluginHost() {
    stop_ = true;
    thread_.join();
}

void PluginHost::OnWindowThread(const std::function<void()>& work) const {
    SendMessageW(hostWindow, RunWorkMessage, reinterpret_cast<WPARAM>(&work), 0);
}

HWND PluginHost::Init(HWND parent) const {
    HWND result = nullptr;
    OnWindowThread([&] { init_(parent, 0, &result); });
    return result;
}

HWND PluginHost::CreateHostWindow() const {
    HWND window = nullptr;
    auto create = [&] {
        window = CreateWindowExW(0, HostWindowClass, L"Test host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, const_cast<PluginHost*>(this));
    };
    if (GetCurrentThreadId() == windowThread_) {
        create();
    } else {
        OnWindowThread(create);
    }
    return window;
}

void PluginHost::Unload() {
    OnWindowThread([this] { FreeLibrary(std::exchange(module_, nullptr)); });
}

HWND PluginHost::CreateSession(TestServer& server) const {
    const std::vector<HWND> before = NetworkWindows(hostWindow);
    SessionCreateRecord record = server.Record();
    EXPECT_EQ(Send(CMD_CREATE_SESSION, reinterpret_cast<WPARAM>(&record)), 0);
    for (HWND window : NetworkWindows(hostWindow)) {
        if (std::find(before.begin(), before.end(), window) == before.end()) return window;
    }
    return nullptr;
}

namespace {

// Collects the dialogs among the windows it is shown (a WNDENUMPROC).
BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770") reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> PluginHost::NetworkWindows(HWND parent) const {
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

LRESULT CALLBACK PluginHost::HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host = reinterpret_cast<PluginHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == RunWorkMessage) {
        (*reinterpret_cast<const std::function<void()>*>(wParam))();
        return 0;
    }
    if (message == CMD_FORWARD && host) {
        host->forwarded.emplace_back(wParam, lParam);  // sent: the sender waits, so no lock
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TestServer::TestServer(const char* handleText, std::shared_ptr<CallJournal> sharedJournal)
    : handle(handleText),
      journal(sharedJournal ? std::move(sharedJournal) : std::make_shared<CallJournal>()),
      entry(HostRef<HostServerEntry>::Adopt(HostServerEntry::Create())),
      data(HostRef<HostServerData>::Adopt(HostServerData::Create())) {
    entry->SetAddress(L"127.0.0.1");
    entry->SetLabel(L"Alpha server");
    entry->SetTimeout(2);
    entry->SetJournal(journal);
    data->SetJournal(journal);
}

std::vector<std::wstring> TestServer::JournalSince(std::size_t from) const {
    std::vector<std::wstring> lines = journal->Lines();
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())));
    return lines;
}

void RecordWindowDestruction(std::shared_ptr<CallJournal> journal, std::map<HWND, std::wstring> names) {
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
