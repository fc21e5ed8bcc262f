#include "bench/floor_windows_win.h"

#include <chrono>
#include <memory>
#include <vector>

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"
#include "host/runner/elapsed_seconds.h"
#include "host/runner/window_thread_win.h"

namespace {

constexpr int FloorDialogTemplate = 152;

// What one window holds, as the plugin's network window does.
struct FloorWindow {
    owners::unique_winsock socketLayer;
    owners::unique_handle semaphore;
    owners::unique_hwnd window;
};

INT_PTR CALLBACK FloorDialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* floor = reinterpret_cast<FloorWindow*>(lParam);
    floor->socketLayer = owners::unique_winsock::Start(0x0202);
    if (floor->socketLayer) floor->semaphore.reset(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr));
    SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
    return TRUE;
}

}  // namespace

FloorWindowsTimes MakeAndDestroyFloorWindows(std::size_t count) {
    WindowThread thread;
    std::vector<std::unique_ptr<FloorWindow>> windows;
    FloorWindowsTimes times;
    times.makeSeconds = SecondsOf([&] {
        thread.Run([&] {
            for (std::size_t i = 0; i < count; ++i) {
                auto floor = std::make_unique<FloorWindow>();
                floor->window.reset(CreateDialogParamW(
                    GetModuleHandleW(nullptr), MAKEINTRESOURCEW(FloorDialogTemplate), thread.Window(),
                    FloorDialogProc, reinterpret_cast<LPARAM>(floor.get())));
                if (floor->window && floor->semaphore) ++times.made;
                windows.push_back(std::move(floor));
            }
        });
    });
    // In the plugin's order: the semaphore, the socket layer, then the window.
    times.destroySeconds = SecondsOf([&] {
        thread.Run([&] {
            for (auto& floor : windows) {
                floor->semaphore.reset();
                floor->socketLayer.reset();
                floor->window.reset();
            }
            windows.clear();
        });
    });
    return times;
}
