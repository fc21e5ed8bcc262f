#include "host/vtquery/plugin_thread_win.h"

#include <future>

#include "host/vtquery/utf8_text.h"

namespace {

constexpr wchar_t kParentClass[] = L"VtqueryHostWindow";

std::string LastErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : Utf8FromWide(message);
}

// The registration of the host window's class, undone when the owner goes.
class WindowClassRegistration {
public:
    WindowClassRegistration() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kParentClass;
        registered_ = RegisterClassW(&windowClass) != 0;
    }
    ~WindowClassRegistration() {
        if (registered_) UnregisterClassW(kParentClass, GetModuleHandleW(nullptr));
    }
    WindowClassRegistration(const WindowClassRegistration&) = delete;
    WindowClassRegistration& operator=(const WindowClassRegistration&) = delete;

private:
    bool registered_ = false;
};

// A window destroyed by its owner; must go on the thread that created it.
class OwnedWindow {
public:
    explicit OwnedWindow(HWND window) : window_(window) {}
    ~OwnedWindow() {
        if (window_) DestroyWindow(window_);
    }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

// The loaded plugin, unloaded by its owner.
class LoadedModule {
public:
    explicit LoadedModule(HMODULE module) : module_(module) {}
    ~LoadedModule() {
        if (module_) FreeLibrary(module_);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

template <class Function>
Function Export(HMODULE module, const char* name) {
    // Exports are plain addresses; the host knows their types from the plugin contract.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

PluginThread::PluginThread(std::wstring pluginPath) {
    std::promise<void> started;
    std::future<void> ready = started.get_future();
    thread_ = std::thread(&PluginThread::Run, this, std::move(pluginPath), std::move(started));
    ready.wait();
    if (!failure_.empty()) {
        thread_.join();
        throw PluginLoadError(failure_);
    }
}

PluginThread::~PluginThread() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

LRESULT PluginThread::SendCommand(UINT command, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(commandWindow_, command, wParam, lParam);
}

int PluginThread::Ping(VtHandle& handle) const {
    return ping_(&handle);
}

void PluginThread::Run(std::wstring pluginPath, std::promise<void> started) {
    // Declared in this order so that they go in reverse: the plugin is unloaded (and destroys
    // its command window) while the parent window still exists, as in a host that shuts down.
    const WindowClassRegistration windowClass;
    const OwnedWindow parent(CreateWindowExW(0, kParentClass, L"vtquery", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                             GetModuleHandleW(nullptr), nullptr));
    const DWORD parentError = GetLastError();
    const LoadedModule plugin(LoadLibraryW(pluginPath.c_str()));
    const DWORD loadError = GetLastError();
    const std::string where = "'" + Utf8FromWide(pluginPath) + "'";

    HWND commandWindow = nullptr;
    if (!parent.get()) {
        failure_ = "cannot create the host window: " + LastErrorText(parentError);
    } else if (!plugin.get()) {
        failure_ = "cannot load the plugin " + where + ": " + LastErrorText(loadError);
    } else {
        const auto init = Export<InitExport>(plugin.get(), "initVantor_Protocol_3_5");
        ping_ = Export<PingExport>(plugin.get(), "pingVantor_Protocol_3_5");
        if (!init || !ping_) {
            failure_ = where +
                       " is not a Vantor 3.5 plugin: it lacks initVantor_Protocol_3_5 or "
                       "pingVantor_Protocol_3_5";
        } else {
            init(parent.get(), 0, &commandWindow);
            if (!commandWindow) failure_ = "the plugin " + where + " gave no command window";
        }
    }
    commandWindow_ = commandWindow;
    threadId_ = GetCurrentThreadId();
    const bool running = failure_.empty();
    started.set_value();
    if (!running) return;

    // Commands sent from other threads and the plugin's socket notifications are both handled
    // here; WM_QUIT from the destructor ends the loop.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
