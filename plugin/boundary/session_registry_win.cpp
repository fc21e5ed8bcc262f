// Creating, setting up and destroying server sessions on the command window's thread.
#include <cstddef>
#include <memory>
#include <new>
#include <string>

#include "plugin/boundary/command_window.h"
#include "plugin/boundary/plugin_error.h"
#include "plugin/boundary/session_registry.h"
#include "plugin/boundary/table_layout.h"
#include "plugin/error_trap/error_trap.h"
#include "plugin/launch/launch_options.h"
#include "plugin/query/network_dlg.h"
#include "common/wire/ansi_text.h"

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
static_assert(sizeof(std::unique_ptr<CNetworkDlg>) == sizeof(void*), "an owning pointer");
#pragma GCC diagnostic pop
static_assert(sizeof(SessionCreateRecord) == 3 * sizeof(void*), "three pointers");

namespace {

// The identity string in a settings key: 256 characters and the terminating zero.
constexpr int KeyIdentityBufferSize = 257;

// "Servers\<handle text>\<identity string>", the 8-bit parts read as ANSI text.
std::wstring SettingsKey(const VtHandle& handle) {
    return L"Servers\\" + AnsiToWide(handle.toCharString()) + L"\\" +
           AnsiToWide(LoadIdentityString(KeyIdentityBufferSize).c_str());
}

// A new session for record's server, or null when memory runs out: the command then ends
// without a word, as a failed allocation does.
std::unique_ptr<ServerSession> NewSession(const SessionCreateRecord& record, std::wstring key) {
    try {
        return std::make_unique<ServerSession>(*record.handle, record.serverData, record.serverEntry,
                                               std::move(key));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Gives back a session's references, its window being gone already. Each giving back runs in
// the trap, so one that fails does not keep the other from being made. False when one failed;
// reported, naming the server by its handle, when reports says so.
bool GiveBackReferences(ServerSession& session, FailureReports reports) {
    bool gaveBack = true;
    if (session.serverData) {
        auto release = [&session] { session.serverData->Release(); };
        gaveBack = error_trap::RunTrapped(release).finished;
    }
    if (session.serverEntry) {
        auto release = [&session] { session.serverEntry->Release(); };
        gaveBack = error_trap::RunTrapped(release).finished && gaveBack;
    }
    if (!gaveBack && reports == FailureReports::Report) {
        ReportPluginError(L"removing", AnsiToWide(session.handle.toCharString()));
    }
    return gaveBack;
}

}  // namespace

int CreateSession(const SessionCreateRecord* record) {
    if (!record || !record->handle || !record->serverData || !record->serverEntry) return 0;

    // Outside the trap: what the work has made and taken so far, to undo after a failure.
    std::unique_ptr<ServerSession> made;  // until the registry owns it
    ServerSession* registered = nullptr;
    error_trap::HostHolds holds;
    auto create = [&] {
        // The host makes one session per handle; a second create for it changes nothing.
        if (FindSession(record->handle)) return;
        made = NewSession(*record, SettingsKey(*record->handle));
        if (!made) return;
        holds.AddRef(*made->serverData);
        holds.AddRef(*made->serverEntry);
        registered = Sessions().Insert(made);
        if (registered) SetUpSession(registered, holds);
    };
    if (error_trap::RunTrapped(create)) {
        // A registered session keeps the references it took; one that was not gives them back.
        if (registered) {
            holds.Keep();
        } else {
            error_trap::GiveBackHolds(holds);
        }
        return 0;
    }

    // No half-made session stays: unregistered, window destroyed, brackets closed, references
    // given back.
    std::unique_ptr<ServerSession> undone =
        registered ? Sessions().Remove(registered->handle) : std::move(made);
    DestroyNetworkWindow(undone.get());
    error_trap::GiveBackHolds(holds);
    ReportPluginError(L"adding", ServerLabel(*record->serverEntry));
    return 0;
}

int SetUpSession(ServerSession* session, error_trap::HostHolds& holds) {
    // The session owns the window's object before the window exists: a creation that fails
    // leaves nothing that the session's undoing cannot reach. Not checked: without a window the
    // session's pings end with the failure outcome. The window knows the session as the record
    // the host sees.
    session->networkWindow = std::make_unique<CNetworkDlg>();
    session->networkWindow->Create(hostParentWindow,
                                   reinterpret_cast<LPARAM>(static_cast<SessionRecord*>(session)));

    holds.BeginUpdate(*session->serverEntry);
    OfferLaunchOptions(*session->serverEntry);
    holds.EndUpdate(*session->serverEntry);

    holds.BeginUpdate(*session->serverData);
    LayOutResultTables(*session->serverData);
    holds.EndUpdate(*session->serverData);
    return 1;
}

int DestroyNetworkWindow(ServerSession* session) {
    if (session) session->networkWindow.reset();
    return 1;
}

int RemoveSession(const VtHandle* handle) {
    ServerSession* session = FindSession(handle);
    if (!session) return 0;
    DestroyNetworkWindow(session);
    const std::unique_ptr<ServerSession> removed = Sessions().Remove(*handle);
    GiveBackReferences(*removed, FailureReports::Report);
    return 0;  // the session goes here: its settings key, then its handle
}

int ReleaseAllSessions(FailureReports reports) {
    Sessions().DestroyAll([reports](std::unique_ptr<ServerSession> session) {
        DestroyNetworkWindow(session.get());
        GiveBackReferences(*session, reports);
    });
    return 0;
}
