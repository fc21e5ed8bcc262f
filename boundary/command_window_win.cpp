// The command window: its class, its creation by the init export, and the command table.
#include "boundary/command_window.h"
#include "boundary/session_registry.h"
#include "launch/launch_game.h"
#include "resources/resource_ids.h"

HINSTANCE moduleInstance = nullptr;
HWND hostParentWindow = nullptr;
compat::unique_hwnd commandWindow;

namespace {

constexpr const char* CommandWindowClass = "MessageWndClass";
constexpr const wchar_t* CommandWindowClassWide = L"MessageWndClass";
constexpr DWORD CommandWindowStyle = WS_CHILD | WS_DISABLED;  // 0x48000000, never visible
constexpr int IdentityBufferSize = 50;

WNDCLASSA commandWindowClass;  // filled when the class is first registered

// The plugin's own menu step; this plugin adds nothing to the host's menu.
int PluginMenuHook(ServerSession*, VtPluginMenu*) {
    return 1;
}

LRESULT ShowPluginMenu(const VtHandle* handle, VtPluginMenu* menu) {
    ServerSession* session = FindSession(handle);
    if (!session) return 0;
    menu->SetCurrentPluginServerStruct(session);
    const int result = PluginMenuHook(session, menu);
    menu->SetCurrentPluginServerStruct(nullptr);
    return result;
}

LRESULT Forward(const HostWindowRecord* record, LPARAM lParam) {
    ServerSession* session = record ? FindSession(record->handle) : nullptr;
    if (!session) return 0;
    HWND target = record->window->GetWindowHandle();
    SendMessageW(target, CMD_FORWARD, reinterpret_cast<WPARAM>(static_cast<VtPluginServerStruct*>(session)),
                 lParam);
    return 0;
}

LRESULT Launch(const VtHandle* handle) {
    ServerSession* session = FindSession(handle);
    if (!session) return 0;
    LaunchGame(session);
    return 1;
}

// Which numbered items the plugin supports: 0, 3 and 4.
LRESULT QuerySupport(WPARAM wParam) {
    const int item = static_cast<int>(wParam);  // the host's signed 32-bit value
    return item == 0 || item == 3 || item == 4 ? 1 : 0;
}

}  // namespace

LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

HWND OpenCommandWindow(HWND parent) {
    hostParentWindow = parent;

    char identity[IdentityBufferSize];
    identity[0] = '\0';
    if (LoadStringA(moduleInstance, IdentityStringId, identity, IdentityBufferSize) == 0) {
        GetLastError();  // a missing identity string is not reported
        identity[0] = '\0';
    }
    const VtHandle pluginHandle(identity);

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
        RegisterClassA(&commandWindowClass);  // a failure shows as a failed window creation
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
    UnregisterClassW(CommandWindowClassWide, moduleInstance);
}
