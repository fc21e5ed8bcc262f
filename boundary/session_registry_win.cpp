// Creating, setting up and destroying server sessions on the command window's thread.
#include <cstddef>
#include <memory>
#include <new>
#include <string>

#include "boundary/ansi_text.h"
#include "boundary/command_window.h"
#include "boundary/session_registry.h"
#include "boundary/table_layout.h"
#include "launch/launch_options.h"
#include "query/network_dlg.h"
#include "resources/resource_ids.h"

// The host reads a session as its VtPluginServerStruct, so the record's layout is fixed: the
// host's three fields first, then ours. ServerSession is not standard-layout (VtHandle has a
// vtable), which makes offsetof "conditionally supported"; GCC computes it exactly for single,
// non-virtual inheritance, so the warning is silenced for these checks only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(ServerSession, handle) == 0, "handle first");
static_assert(offsetof(ServerSession, serverData) == sizeof(VtHandle), "then the server data");
static_assert(offsetof(ServerSession, serverEntry) == sizeof(VtHandle) + sizeof(void*), "then the entry");
static_assert(offsetof(ServerSession, settingsKey) == sizeof(VtPluginServerStruct), "then the settings key");
static_assert(offsetof(ServerSession, networkWindow) == sizeof(VtPluginServerStruct) + sizeof(std::wstring),
              "then the network window");
#pragma GCC diagnostic pop
static_assert(sizeof(SessionCreateRecord) == 3 * sizeof(void*), "three pointers");

namespace {

// "Servers\<handle text>\<identity string>", the 8-bit parts read as ANSI text.
std::wstring SettingsKey(const VtHandle& handle) {
    char identity[257] = {};
    if (LoadStringA(moduleInstance, IdentityStringId, identity, sizeof identity) == 0) identity[0] = '\0';
    return L"Servers\\" + AnsiToWide(handle.toCharString()) + L"\\" + AnsiToWide(identity);
}

// Gives back what a session holds: its window, then its references, then its memory.
void DestroySession(ServerSession* session) {
    DestroyNetworkWindow(session);
    if (session->serverData) session->serverData->Release();
    if (session->serverEntry) session->serverEntry->Release();
    delete session;
}

}  // namespace

int CreateSession(const SessionCreateRecord* record) {
    // The host makes one session per handle; a second create for it changes nothing.
    if (!record || !record->handle || !record->serverData || !record->serverEntry) return 0;
    if (FindSession(record->handle)) return 0;

    std::wstring key = SettingsKey(*record->handle);
    auto* session = new (std::nothrow)
        ServerSession(*record->handle, record->serverData, record->serverEntry, std::move(key));
    if (!session) return 0;
    session->serverData->AddRef();
    session->serverEntry->AddRef();

    Sessions().Insert(session->handle, session);
    SetUpSession(session);
    return 0;
}

int SetUpSession(ServerSession* session) {
    auto holder = std::make_unique<NetworkWindowHolder>();
    holder->dialog = std::make_unique<CNetworkDlg>();
    // Not checked: without a window the session's pings end with the failure outcome.
    holder->dialog->Create(hostParentWindow, reinterpret_cast<LPARAM>(session));
    session->networkWindow = holder.release();

    session->serverEntry->BeginUpdate();
    OfferLaunchOptions(*session->serverEntry);
    session->serverEntry->EndUpdate();

    session->serverData->BeginUpdate();
    LayOutResultTables(*session->serverData);
    session->serverData->EndUpdate();
    return 1;
}

int DestroyNetworkWindow(ServerSession* session) {
    if (!session || !session->networkWindow) return 1;
    session->networkWindow->dialog.reset();
    delete session->networkWindow;
    session->networkWindow = nullptr;
    return 1;
}

int RemoveSession(const VtHandle* handle) {
    ServerSession* session = FindSession(handle);
    if (!session) return 0;
    DestroyNetworkWindow(session);
    Sessions().Remove(*handle);
    DestroySession(session);
    return 0;
}

int ReleaseAllSessions() {
    for (ServerSession* session : Sessions().TakeAll()) DestroySession(session);
    return 0;
}
