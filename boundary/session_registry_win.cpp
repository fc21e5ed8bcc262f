// Creating, setting up and destroying server sessions on the command window's thread.
#include <cstddef>
#include <memory>
#include <new>
#include <string>

#include "boundary/command_window.h"
#include "boundary/plugin_error.h"
#include "boundary/session_registry.h"
#include "boundary/table_layout.h"
#include "error_trap/error_trap.h"
#include "launch/launch_options.h"
#include "query/network_dlg.h"
#include "resources/resource_ids.h"
#include "wire/ansi_text.h"

ServerSession::ServerSession(const VtHandle& serverHandle, VtServerData* data, VtServerEntry* entry,
                             std::wstring key)
    : SessionRecord{{serverHandle, data, entry}, std::move(key)} {}

ServerSession::~ServerSession() = default;

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
static_assert(sizeof(std::unique_ptr<NetworkWindowHolder>) == sizeof(void*), "an owning pointer");
#pragma GCC diagnostic pop
static_assert(sizeof(SessionCreateRecord) == 3 * sizeof(void*), "three pointers");

namespace {

// "Servers\<handle text>\<identity string>", the 8-bit parts read as ANSI text.
std::wstring SettingsKey(const VtHandle& handle) {
    char identity[257] = {};
    if (LoadStringA(moduleInstance, IdentityStringId, identity, sizeof identity) == 0) identity[0] = '\0';
    return L"Servers\\" + AnsiToWide(handle.toCharString()) + L"\\" + AnsiToWide(identity);
}

// Gives back what a session holds: its window, then its references, then its memory. Each
// giving back runs in the trap, so one that fails does not keep the others from being made.
// False when one failed; reported, naming the server by its handle, when reports says so.
bool DestroySession(ServerSession* session, FailureReports reports) {
    DestroyNetworkWindow(session);
    bool gaveBack = true;
    if (session->serverData) {
        auto release = [session] { session->serverData->Release(); };
        gaveBack = error_trap::RunTrapped(release).finished;
    }
    if (session->serverEntry) {
        auto release = [session] { session->serverEntry->Release(); };
        gaveBack = error_trap::RunTrapped(release).finished && gaveBack;
    }
    if (!gaveBack && reports == FailureReports::Report) {
        ReportPluginError(L"removing", AnsiToWide(session->handle.toCharString()));
    }
    delete session;
    return gaveBack;
}

}  // namespace

int CreateSession(const SessionCreateRecord* record) {
    if (!record || !record->handle || !record->serverData || !record->serverEntry) return 0;

    // Outside the trap: what the work has made and taken so far, to undo after a failure.
    std::unique_ptr<ServerSession> made;
    bool registered = false;
    HostHolds holds;
    auto create = [&] {
        // The host makes one session per handle; a second create for it changes nothing.
        if (FindSession(record->handle)) return;
        std::wstring key = SettingsKey(*record->handle);
        made.reset(new (std::nothrow) ServerSession(*record->handle, record->serverData, record->serverEntry,
                                                    std::move(key)));
        if (!made) return;
        holds.AddRef(*made->serverData);
        holds.AddRef(*made->serverEntry);
        registered = Sessions().Insert(made->handle, made.get());
        SetUpSession(made.get(), holds);
    };
    if (error_trap::RunTrapped(create)) {
        // The session keeps the references it took; the registry holds it from now on.
        holds.Keep();
        made.release();
        return 0;
    }

    // No half-made session stays: unregistered, window destroyed, brackets closed, references
    // given back.
    if (registered) Sessions().Remove(made->handle);
    DestroyNetworkWindow(made.get());
    GiveBackHolds(holds);
    ReportPluginError(L"adding", ServerLabel(*record->serverEntry));
    return 0;
}

int SetUpSession(ServerSession* session, HostHolds& holds) {
    auto holder = std::make_unique<NetworkWindowHolder>();
    holder->dialog = std::make_unique<CNetworkDlg>();
    // Not checked: without a window the session's pings end with the failure outcome. The
    // window knows the session as the record the host sees.
    holder->dialog->Create(hostParentWindow, reinterpret_cast<LPARAM>(static_cast<SessionRecord*>(session)));
    session->networkWindow = std::move(holder);

    holds.BeginUpdate(*session->serverEntry);
    OfferLaunchOptions(*session->serverEntry);
    holds.EndUpdate(*session->serverEntry);

    holds.BeginUpdate(*session->serverData);
    LayOutResultTables(*session->serverData);
    holds.EndUpdate(*session->serverData);
    return 1;
}

int DestroyNetworkWindow(ServerSession* session) {
    if (!session || !session->networkWindow) return 1;
    session->networkWindow->dialog.reset();
    session->networkWindow.reset();
    return 1;
}

int RemoveSession(const VtHandle* handle) {
    ServerSession* session = FindSession(handle);
    if (!session) return 0;
    Sessions().Remove(*handle);
    DestroySession(session, FailureReports::Report);
    return 0;
}

int ReleaseAllSessions(FailureReports reports) {
    for (ServerSession* session : Sessions().TakeAll()) DestroySession(session, reports);
    return 0;
}
