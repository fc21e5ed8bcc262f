#include "tests/integration/plugin_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "boundary/command_window.h"

namespace integration {

namespace {

constexpr UINT RunWorkMessage = WM_APP + 1;
constexpr UINT ForwardMessage = WM_USER + 100;
constexpr const wchar_t* HostWindowClass = L"TribesTestHost";
// The window thread ends by itself even if a test never lets it go.
constexpr auto WindowThreadLifetime = std::chrono::seconds(150);

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

struct DestructionRecord {
    std::shared_ptr<CallJournal> journal;
    std::map<HWND, std::wstring> names;
    HHOOK hook = nullptr;
};
DestructionRecord destruction;

LRESULT CALLBACK OnWindowEvent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND && destruction.journal) {
        auto named = destruction.names.find(reinterpret_cast<HWND>(wParam));
        if (named != destruction.names.end())
            destruction.journal->Record(L"window.Destroy(" + named->second + L")");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

PluginHost::PluginHost() {
    std::promise<void> ready;
    thread_ = std::thread([this, &ready] {
        windowThread_ = GetCurrentThreadId();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = HostWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = HostWindowClass;
        RegisterClassW(&windowClass);  // already registered by an earlier host: fine
        hostWindow = CreateHostWindow();
        module_ = LoadLibraryW(PluginPath().c_str());
        if (module_) {
            init_ = Export<InitVantorProtocol>(module_, InitExportName);
            ping_ = Export<PingVantorProtocol>(module_, PingExportName);
        }
        if (init_) init_(hostWindow, 0, &commandWindow);
        ready.set_value();
        Run();
    });
    ready.get_future().wait();
    EXPECT_NE(hostWindow, nullptr);
    EXPECT_NE(module_, nullptr) << "cannot load " << std::string(PluginPath().begin(), PluginPath().end());
    EXPECT_NE(ping_, nullptr);
    EXPECT_NE(commandWindow, nullptr);
}

PluginHost::~PluginHost() {
    stop_ = true;
    thread_.join();
}

void PluginHost::Run() {
    const auto deadline = std::chrono::steady_clock::now() + WindowThreadLifetime;
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        for (int handled = 0; handled < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++handled) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (module_) FreeLibrary(module_);
    if (destruction.hook) UnhookWindowsHookEx(destruction.hook);
    destruction = DestructionRecord{};
    DestroyWindow(hostWindow);
}

LRESULT PluginHost::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(commandWindow, message, wParam, lParam);
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
    auto create = [this] {
        return CreateWindowExW(0, HostWindowClass, L"Test host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                               GetModuleHandleW(nullptr), const_cast<PluginHost*>(this));
    };
    if (GetCurrentThreadId() == windowThread_) return create();
    HWND window = nullptr;
    OnWindowThread([&] { window = create(); });
    return window;
}

void PluginHost::Unload() {
    OnWindowThread([this] {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    });
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

std::vector<HWND> PluginHost::NetworkWindows(HWND parent) const {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM list) {
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            if (std::wstring(className) == L"#32770")
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<ForwardedMessage> PluginHost::Forwarded() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return forwarded_;
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
    if (message == ForwardMessage && host) {
        std::lock_guard<std::mutex> hold(host->mutex_);
        host->forwarded_.push_back({wParam, lParam});
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
    return std::vector<std::wstring>(
        lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end());
}

void RecordWindowDestruction(std::shared_ptr<CallJournal> journal, std::map<HWND, std::wstring> names) {
    destruction.journal = std::move(journal);
    destruction.names = std::move(names);
    destruction.hook = SetWindowsHookExW(WH_CBT, OnWindowEvent, nullptr, GetCurrentThreadId());
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace integration
