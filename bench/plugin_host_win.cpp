#include "bench/plugin_host_win.h"

#include <stdexcept>
#include <string>

#include "boundary/server_session.h"

namespace {

// The host's side of the command numbers it sends (WM_USER + 11 and + 12).
constexpr UINT ReleaseAllCommand = WM_USER + 11;
constexpr UINT CreateSessionCommand = WM_USER + 12;

constexpr wchar_t ParentClassName[] = L"BenchHostWindow";

ATOM RegisterParentClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = ParentClassName;
    return RegisterClassExW(&windowClass);
}

template <class Function>
Function Export(HMODULE module, const char* name) {
    auto address = GetProcAddress(module, name);
    if (!address) throw std::runtime_error(std::string("the plugin does not export ") + name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

}  // namespace

std::wstring PluginBesideProgram() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path, length);
    return text.substr(0, text.find_last_of(L"\\/") + 1) + L"Tribes.vtplugin";
}

BenchPluginHost::BenchPluginHost(const std::wstring& pluginPath) : module_(LoadLibraryW(pluginPath.c_str())) {
    if (!module_)
        throw std::runtime_error("cannot load the plugin (error " + std::to_string(GetLastError()) + ")");
    init_ = Export<InitVantorProtocol>(module_.get(), InitExportName);
    ping_ = Export<PingVantorProtocol>(module_.get(), PingExportName);
    ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, Pump, this, 0, &threadId_));
    if (!ready_ || !thread_) throw std::runtime_error("cannot start the plugin's window thread");
    WaitForSingleObject(ready_.get(), INFINITE);
    if (!commandWindow_) {
        WaitForSingleObject(thread_.get(), INFINITE);
        throw std::runtime_error("the plugin opened no command window");
    }
}

BenchPluginHost::~BenchPluginHost() {
    SendMessageW(commandWindow_, ReleaseAllCommand, 0, 0);
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_.get(), INFINITE);
}

// The host's window thread: a hidden parent window, the init export, then the message pump
// that the plugin's command and network windows live on.
DWORD WINAPI BenchPluginHost::Pump(void* self) {
    auto& host = *static_cast<BenchPluginHost*>(self);
    static const ATOM registered = RegisterParentClass();
    compat::unique_hwnd parent(registered ? CreateWindowExW(0, ParentClassName, L"bench host",
                                                            WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                                            nullptr, GetModuleHandleW(nullptr), nullptr)
                                          : nullptr);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // a queue before WM_QUIT can be posted
    if (parent) host.init_(parent.get(), 0, &host.commandWindow_);
    SetEvent(host.ready_.get());
    if (!host.commandWindow_) return 1;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int BenchPluginHost::AddServer(std::uint16_t port, int timeoutSeconds) {
    std::string text = "127.0.0.1:" + std::to_string(port);
    auto server = std::make_unique<Server>(Server{VtHandle(text.c_str()),
                                                  HostRef<HostServerEntry>::Adopt(HostServerEntry::Create()),
                                                  HostRef<HostServerData>::Adopt(HostServerData::Create())});
    server->entry->SetAddress(L"127.0.0.1");
    server->entry->SetPort(port);
    server->entry->SetTimeout(timeoutSeconds);
    server->entry->SetLabel(std::wstring(text.begin(), text.end()));
    SessionCreateRecord record{&server->handle, server->data.get(), server->entry.get()};
    SendMessageW(commandWindow_, CreateSessionCommand, reinterpret_cast<WPARAM>(&record), 0);
    servers_.push_back(std::move(server));
    return static_cast<int>(servers_.size()) - 1;
}

int BenchPluginHost::Ping(int server) {
    return ping_(&servers_[static_cast<std::size_t>(server)]->handle);
}

bool BenchPluginHost::Answered(int server) const {
    return Data(server).Status().recorded == RecordedOutcome::PlayerCount;
}
