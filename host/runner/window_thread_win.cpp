#include "host/runner/window_thread_win.h"

#include <stdexcept>

#include "common/owners/unique_resource.h"

namespace {

constexpr wchar_t WindowClassName[] = L"TribesHostWindow";
constexpr UINT RunWorkMessage = WM_APP + 1;

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == RunWorkMessage) {
        (*reinterpret_cast<const std::function<void()>*>(wParam))();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The class of every window thread's window in this process, registered with the first one
// and unregistered when the process ends.
bool RegisterHostWindowClass() {
    static const auto registration = owners::unique_window_class::Register(WindowClassName, HostWindowProc);
    return static_cast<bool>(registration);
}

}  // namespace

WindowThread::WindowThread() {
    const owners::unique_handle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready) throw std::runtime_error("cannot start the window thread");
    thread_ = std::thread(&WindowThread::Main, this, ready.get());
    WaitForSingleObject(ready.get(), INFINITE);
    if (!window_) {
        thread_.join();
        throw NoWindowError("cannot create the host window (error " + std::to_string(creationError_) + ")");
    }
}

WindowThread::~WindowThread() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

void WindowThread::Run(const std::function<void()>& work) const {
    if (IsCurrent()) {
        work();
    } else {
        SendMessageW(window_, RunWorkMessage, reinterpret_cast<WPARAM>(&work), 0);
    }
}

void WindowThread::Main(HANDLE ready) {
    threadId_ = GetCurrentThreadId();
    owners::unique_hwnd window(RegisterHostWindowClass()
                                   ? CreateWindowExW(0, WindowClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0,
                                                     100, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                                                     nullptr)
                                   : nullptr);
    creationError_ = GetLastError();
    // A queue before the owner may post WM_QUIT.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    window_ = window.get();
    SetEvent(ready);
    if (!window) return;

    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
