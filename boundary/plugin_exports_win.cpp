// The library's load and unload notifications and its two exports.
#include "boundary/plugin_exports.h"
// commctrl.h needs windows.h (from plugin_exports.h) first.
#include <commctrl.h>

#include "boundary/command_window.h"
#include "boundary/plugin_error.h"
#include "boundary/session_registry.h"
#include "compat/module_state.h"
#include "error_trap/error_trap.h"
#include "error_trap/host_holds.h"
#include "query/network_dlg.h"

extern "C" void initVantor_Protocol_3_5(HWND parentWindow, UINT_PTR, HWND* resultWindow) {
    HWND window = OpenCommandWindow(parentWindow);
    if (resultWindow) *resultWindow = window;
}

extern "C" int pingVantor_Protocol_3_5(VtHandle* handle) {
    ServerSession* session = FindSession(handle);
    if (!session) return 0;

    HostHolds holds;  // outside the trap: a fault inside cannot lose it
    int result = 0;
    auto cycle = [&] { result = PingSession(session, holds); };
    if (error_trap::RunTrapped(cycle)) return result;

    // What the cycle left: its socket, then the lock, bracket and references it still held.
    if (session->networkWindow && session->networkWindow->dialog)
        session->networkWindow->dialog->CloseSocket();
    GiveBackHolds(holds);
    ReportPluginError(L"pinging", ServerLabel(*session->serverEntry));
    return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    moduleInstance = instance;
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            compat::Module().Init(instance);
            InitCommonControls();
            break;
        case DLL_PROCESS_DETACH:
            // Sessions first: their windows are children of the host's window, not ours. A host
            // object that fails here is not reported: the host is letting the plugin go.
            ReleaseAllSessions(FailureReports::Silent);
            CloseCommandWindow();
            compat::Module().Term();
            break;
        default:
            break;
    }
    return TRUE;
}
