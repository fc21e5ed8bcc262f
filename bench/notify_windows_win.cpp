#include "bench/notify_windows_win.h"

#include <stdexcept>

namespace {

constexpr wchar_t ClassName[] = L"BenchNotifyWindow";

// One count for each data-ready notification without an error, whichever socket it names.
LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == NotifyWindows::NotifyMessage) {
        if (WSAGETSELECTERROR(lParam) == 0 && WSAGETSELECTEVENT(lParam) == FD_READ) {
            ReleaseSemaphore(reinterpret_cast<HANDLE>(GetWindowLongPtrW(window, GWLP_USERDATA)), 1, nullptr);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
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

NotifyWindows::NotifyWindows(int count) {
    for (int i = 0; i < count; ++i) {
        semaphores_.emplace_back(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr));
        if (!semaphores_.back()) throw std::runtime_error("CreateSemaphoreW failed");
    }
    thread_.Run([this] {
        static const auto registration = owners::unique_window_class::Register(ClassName, NotifyWindowProc);
        for (const owners::unique_handle& semaphore : semaphores_) {
            owners::unique_hwnd window(CreateWindowExW(0, ClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                       nullptr, GetModuleHandleW(nullptr), nullptr));
            if (!window) return;
            SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(semaphore.get()));
            windows_.push_back(std::move(window));
        }
    });
    if (windows_.size() != semaphores_.size()) {
        thread_.Run([this] { windows_.clear(); });
        throw std::runtime_error("creating the notification windows failed");
    }
}

NotifyWindows::~NotifyWindows() {
    thread_.Run([this] { windows_.clear(); });
}

double NotifyWindows::ThreadCpuMilliseconds() const {
    const owners::unique_handle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, thread_.ThreadId()));
    return ::ThreadCpuMilliseconds(thread.get());
}
