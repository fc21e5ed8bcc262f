// The command window: its class, its creation by the init export, and the command table.
#include "plugin/boundary/command_window.h"
#include "plugin/boundary/plugin_error.h"
#include "plugin/boundary/session_registry.h"
#include "plugin/error_trap/error_trap.h"
#include "plugin/error_trap/host_holds.h"
#include "plugin/launch/launch_game.h"
#include "plugin/resources/resource_ids.h"

HINSTANCE moduleInstance = nullptr;
HWND hostParentWindow = nullptr;
owners::unique_hwnd commandWindow;

namespace {

constexpr const char* CommandWindowClass = "MessageWndClass";
constexpr const wchar_t* CommandWindowClassWide = L"MessageWndClass";
constexpr DWORD CommandWindowStyle = WS_CHILD | WS_DISABLED;  // 0x48000000, never visible
// The identity string in the window's title: a buffer of 50 bytes.
constexpr int TitleIdentityBufferSize = 50;

WNDCLASSA commandWindowClass;  // filled when the class is first registered
// The registration, undone at process detach. Registered under the 8-bit name, unregistered
// under the wide one: both name the same class.
owners::unique_window_class commandWindowRegistration;

// The plugin's own menu step; this plugin adds nothing to the host's menu.
int PluginMenuHook(ServerSession*, VtPluginMenu*) {
    return 1;
}

// Each command below runs inside the error trap. A host object that fails during one leaves
// the command with 0, after the command's own clean-up and one report; nothing unwinds into the
// window manager that called the window procedure.

LRESULT ShowPluginMenu(const VtHandle* handle, VtPluginMenu* menu) {
    ServerSession* session = nullptr;
    bool menuSet = false;
    int result = 0;
    auto show = [&] {
        session = FindSession(handle);
        if (!session) return;
        menu->SetCurrentPluginServerStruct(session);
        menuSet = true;
        result = PluginMenuHook(session, menu);
        menu->SetCurrentPluginServerStruct(nullptr);
        menuSet = false;
    };
    if (error_trap::RunTrapped(show)) return result;
    // The menu must not keep pointing at a session that may go.
    if (menuSet) {
        auto clear = [menu] { menu->SetCurrentPluginServerStruct(nullptr); };
        error_trap::RunTrapped(clear);
    }
    if (session) ReportPluginError(L"showing the menu of", ServerLabel(*session->serverEntry));
    return 0;
}

LRESULT Forward(const HostWindowRecord* record, LPARAM lParam) {
    ServerSession* session = nullptr;
    auto forward = [&] {
        session = record ? FindSession(record->handle) : nullptr;
        if (!session) return;
        HWND target = record->window->GetWindowHandle();
        SendMessageW(target, CMD_FORWARD,
                     reinterpret_cast<WPARAM>(static_cast<VtPluginServerStruct*>(session)), lParam);
    };
    if (!error_trap::RunTrapped(forward) && session) {
        ReportPluginError(L"forwarding", ServerLabel(*session->serverEntry));
    }
    return 0;
}

LRESULT Launch(const VtHandle* handle) {
    ServerSession* session = nullptr;
    error_trap::HostHolds holds;  // the entry's locks, given back if the launch fails
    auto launch = [&] {
        session = FindSession(handle);
        if (session) LaunchGame(session, holds);
    };
    if (error_trap::RunTrapped(launch)) return session ? 1 : 0;
    error_trap::GiveBackHolds(holds);
    if (session) ReportPluginError(L"launching", ServerLabel(*session->serverEntry));
    return 0;
}

// Which numbered items the plugin supports: 0, 3 and 4.
LRESULT QuerySupport(WPARAM wParam) {
    const int item = static_cast<int>(wParam);  // the host's signed 32-bit value
    return item == 0 || item == 3 || item == 4 ? 1 : 0;
}

LRESULT RunCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
        case WM_DESTROY:
        case WM_SIZE:
        case WM_PAINT:
        case CMD_IGNORED:
            return 0;
        case CMD_RELEASE_ALL:
            return ReleaseAllSessions();
        case CMD_CREATE_SESSION:
            return CreateSession(reinterpret_cast<const SessionCreateRecord*>(wParam));
        case CMD_REMOVE_SESSION:
            return RemoveSession(reinterpret_cast<const VtHandle*>(wParam));
        case CMD_LAUNCH:
            return Launch(reinterpret_cast<const VtHandle*>(wParam));
        case CMD_PLUGIN_MENU:
            return ShowPluginMenu(reinterpret_cast<const VtHandle*>(wParam),
                                  reinterpret_cast<VtPluginMenu*>(lParam));
        case CMD_QUERY_SUPPORT:
            return QuerySupport(wParam);
        case CMD_FORWARD:
            return Forward(reinterpret_cast<const HostWindowRecord*>(wParam), lParam);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Each command traps what it calls and cleans up after it; this trap is the last word for
    // anything else (our own code out of memory, say): the command then returns 0.
    LRESULT result = 0;
    auto command = [&] { result = RunCommand(window, message, wParam, lParam); };
    return error_trap::RunTrapped(command) ? result : 0;
}

std::string LoadIdentityString(int bufferSize) {
    std::string identity(static_cast<std::size_t>(bufferSize), '\0');
    if (LoadStringA(moduleInstance, IdentityStringId, identity.data(), bufferSize) == 0) {
        GetLastError();  // a missing identity string is not reported
        return {};
    }
    identity.resize(identity.find('\0'));
    return identity;
}

HWND OpenCommandWindow(HWND parent) {
    hostParentWindow = parent;

    const VtHandle pluginHandle(LoadIdentityString(TitleIdentityBufferSize).c_str());

    WNDCLASSA existing;
    if (!GetClassInfoA(moduleInstance, CommandWindowClass, &existing)) {
        commandWindowClass = WNDCLASSA{};
        commandWindowClass.style = 0;
        commandWindowClass.lpfnWndProc = CommandWindowProc;
        commandWindowClass.hInstance = moduleInstance;
        commandWindowClass.hIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(PluginIconId));
        commandWindowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        commandWindowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        commandWindowClass.lpszClassName = CommandWindowClass;
        // A failure shows as a failed window creation.
        if (RegisterClassA(&commandWindowClass)) {
            commandWindowRegistration = owners::unique_window_class(CommandWindowClassWide, moduleInstance);
        }
    }

    if (!commandWindow) {
        commandWindow.reset(CreateWindowExA(0, CommandWindowClass, pluginHandle.toCharString(),
                                            CommandWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                            CW_USEDEFAULT, parent, nullptr, moduleInstance, nullptr));
        ShowWindow(commandWindow.get(), SW_HIDE);
    }
    return commandWindow.get();
}

void CloseCommandWindow() {
    commandWindow.reset();
    commandWindowRegistration.reset();
}
