#include "bench/notify_windows_win.h"

#include <stdexcept>

namespace {

constexpr wchar_t ClassName[] = L"BenchNotifyWindow";

ATOM RegisterNotifyClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = ClassName;
    return RegisterClassExW(&windowClass);
}

double Milliseconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 10000.0;  // 100 ns units
}

}  // namespace

double ThreadCpuMilliseconds(HANDLE thread) {
    FILETIME creation, exit, kernel, user;
    if (!GetThreadTimes(thread, &creation, &exit, &kernel, &user)) return 0;
    return Milliseconds(kernel) + Milliseconds(user);
}

NotifyWindows::NotifyWindows(int count) : windows_(static_cast<std::size_t>(count), nullptr) {
    for (int i = 0; i < count; ++i) {
        semaphores_.emplace_back(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr));
        if (!semaphores_.back()) throw std::runtime_error("CreateSemaphoreW failed");
    }
    ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready_) throw std::runtime_error("CreateEventW failed");
    thread_.reset(CreateThread(nullptr, 0, Pump, this, 0, &threadId_));
    if (!thread_) throw std::runtime_error("CreateThread failed");
    WaitForSingleObject(ready_.get(), INFINITE);
    if (!created_) {
        WaitForSingleObject(thread_.get(), INFINITE);
        throw std::runtime_error("creating the notification windows failed");
    }
}

NotifyWindows::~NotifyWindows() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_.get(), INFINITE);
}

double NotifyWindows::ThreadCpuMilliseconds() const {
    return ::ThreadCpuMilliseconds(thread_.get());
}

// Runs on the window thread: makes the windows, says so, pumps until WM_QUIT, then destroys
// them here, where they belong.
DWORD WINAPI NotifyWindows::Pump(void* self) {
    auto& windows = *static_cast<NotifyWindows*>(self);
    static const ATOM registered = RegisterNotifyClass(WindowProc);
    std::vector<owners::unique_hwnd> owned;
    bool created = registered != 0;
    for (std::size_t i = 0; created && i < windows.windows_.size(); ++i) {
        owned.emplace_back(CreateWindowExW(0, ClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           GetModuleHandleW(nullptr), nullptr));
        created = static_cast<bool>(owned.back());
        if (!created) break;
        SetWindowLongPtrW(owned.back().get(), GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(windows.semaphores_[i].get()));
        windows.windows_[i] = owned.back().get();
    }
    // Makes sure the thread has a message queue before the constructor may post WM_QUIT.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    windows.created_ = created;
    SetEvent(windows.ready_.get());
    if (!created) return 1;

    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

// One count for each data-ready notification without an error, whichever socket it names.
LRESULT CALLBACK NotifyWindows::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == NotifyMessage) {
        if (WSAGETSELECTERROR(lParam) == 0 && WSAGETSELECTEVENT(lParam) == FD_READ) {
            ReleaseSemaphore(reinterpret_cast<HANDLE>(GetWindowLongPtrW(window, GWLP_USERDATA)), 1, nullptr);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
