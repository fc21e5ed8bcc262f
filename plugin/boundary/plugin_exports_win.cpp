// The library's load and unload notifications and its two exports.
#include "plugin/boundary/command_window.h"
#include "plugin/boundary/plugin_error.h"
#include "plugin/boundary/session_registry.h"
#include "common/contract/plugin_exports.h"
#include "plugin/error_trap/error_trap.h"
#include "plugin/error_trap/host_holds.h"
#include "plugin/query/network_dlg.h"
#include "plugin/window_framework/module_state.h"

extern "C" void initVantor_Protocol_3_5(HWND parentWindow, UINT_PTR, HWND* resultWindow) {
    HWND window = OpenCommandWindow(parentWindow);
    if (resultWindow) *resultWindow = window;
}

extern "C" int pingVantor_Protocol_3_5(VtHandle* handle) {
    ServerSession* session = FindSession(handle);
    if (!session) return 0;

    error_trap::HostHolds holds;  // outside the trap: a fault inside cannot lose it
    int result = 0;
    CNetworkDlg* dialog = session->networkWindow.get();
    auto cycle = [&] { result = PingSession(*session, dialog, holds); };
    if (error_trap::RunTrapped(cycle)) return result;

    // What the cycle left: its socket, then the lock, bracket and references it still held.
    if (dialog) dialog->CloseSocket();
    error_trap::GiveBackHolds(holds);
    ReportPluginError(L"pinging", ServerLabel(*session->serverEntry));
    return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    moduleInstance = instance;
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            window_framework::Module().Init(instance);
            InitCommonControls();
            break;
        case DLL_PROCESS_DETACH:
            // Sessions first: their windows are children of the host's window, not ours. A host
            // object that fails here is not reported: the host is letting the plugin go.
            ReleaseAllSessions(FailureReports::Silent);
            CloseCommandWindow();
            window_framework::Module().Term();
            break;
        default:
            break;
    }
    return TRUE;
}
