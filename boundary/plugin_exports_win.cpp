// The library's load and unload notifications and its two exports.
#include "boundary/plugin_exports.h"
// commctrl.h needs windows.h (from plugin_exports.h) first.
#include <commctrl.h>

#include <string>

#include "boundary/command_window.h"
#include "boundary/session_registry.h"
#include "compat/fault_trap.h"
#include "compat/module_state.h"
#include "query/network_dlg.h"

namespace {

// Gives back what a cycle that an exception or fault left still holds. A giving back that
// fails itself is tried again; each attempt makes at least one of the five calls, so five
// attempts end it.
void GiveBackAfterFailure(PingHolds& holds) {
    auto giveBack = [&holds] { holds.GiveBack(); };
    for (int attempt = 0; attempt < 5 && !compat::RunTrapped(giveBack); ++attempt) {
    }
}

// The one report of a failed ping, naming the server by its label.
void ReportPingFailure(ServerSession& session) {
    std::wstring label;
    auto readLabel = [&] { label = session.serverEntry->GetLabel(); };
    compat::RunTrapped(readLabel);  // a label that cannot be read leaves the quotes empty
    const std::wstring message = L"A error occured in an unknown plugin" +
                                 std::wstring(L" while pinging \"") + label + L"\"" +
                                 L". This may cause a greater plugin crash.";
    VtError::GetInstance()->SetError(L"Plugin Error", message.c_str());
}

}  // namespace

extern "C" void initVantor_Protocol_3_5(HWND parentWindow, UINT_PTR, HWND* resultWindow) {
    HWND window = OpenCommandWindow(parentWindow);
    if (resultWindow) *resultWindow = window;
}

extern "C" int pingVantor_Protocol_3_5(VtHandle* handle) {
    ServerSession* session = FindSession(handle);
    if (!session) return 0;

    PingHolds holds;  // outside the trap: a fault inside cannot lose it
    int result = 0;
    auto cycle = [&] { result = PingSession(session, holds); };
    if (compat::RunTrapped(cycle)) return result;

    GiveBackAfterFailure(holds);
    ReportPingFailure(*session);
    return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    moduleInstance = instance;
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            compat::Module().Init(instance);
            InitCommonControls();
            compat::InstallFaultTrap();  // without it, pings still trap C++ exceptions
            break;
        case DLL_PROCESS_DETACH:
            // Sessions first: their windows are children of the host's window, not ours.
            ReleaseAllSessions();
            CloseCommandWindow();
            compat::Module().Term();
            compat::RemoveFaultTrap();
            break;
        default:
            break;
    }
    return TRUE;
}
