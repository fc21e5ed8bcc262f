// The network message window: construction, initialisation, notifications, destruction.
#include <cstddef>
#include <type_traits>

#include "plugin/query/network_dlg.h"
#include "plugin/query/reply_parser.h"

namespace {

constexpr WORD WinsockVersion = 0x0202;
constexpr LONG MaximumWakeCount = 0x7FFFFFFF;

}  // namespace

CNetworkDlg::CNetworkDlg() {
    // The record's layout as the rest of the plugin relies on it.
    static_assert(sizeof(TimeStamp) == 8 && sizeof(TimeoutSeconds) == 4 && sizeof(ServerPort) == 4,
                  "32-bit time stamp halves, budget and port");
    static_assert(sizeof(SendBuffer) == 2000 && sizeof(ReceiveBuffer) == 2000, "fixed 2000-byte buffers");
    static_assert(sizeof(ReplyParsed) == 1, "the reply flag is one byte");
    static_assert(std::is_polymorphic<window_framework::CMessageMap>::value &&
                      !std::is_polymorphic<window_framework::CWindow>::value,
                  "the message map holds the vtable pointer, so it comes before the window handle");
}

CNetworkDlg::~CNetworkDlg() {
    WakeSemaphore.reset();  // closes the semaphore, frees the array
    NetworkStart.reset();   // one WSACleanup for the start-up of OnInitDialog
    if (IsWindow()) DestroyOwnWindow();
}

BOOL CNetworkDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                       DWORD mapId) {
    if (mapId != 0) return FALSE;
    BOOL handled = TRUE;
    switch (message) {
        case WM_INITDIALOG:
            result = OnInitDialog(message, wParam, lParam, handled);
            return handled;
        case WM_SOCKET_NOTIFY:
            result = OnSocketNotify(message, wParam, lParam, handled);
            return handled;
        default:
            return FALSE;
    }
}

LRESULT CNetworkDlg::OnInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&) {
    Session = reinterpret_cast<SessionRecord*>(lParam);
    NetworkStart = owners::unique_winsock::Start(WinsockVersion);
    if (NetworkStart) {
        WakeSemaphore = std::make_unique<owners::unique_handle[]>(1);
        WakeSemaphore[0].reset(CreateSemaphoreW(nullptr, 0, MaximumWakeCount, nullptr));
    } else {
        VtError::GetInstance()->SetError(L"Network Init Failure",
                                         L"An instance of a Half-Life NetworkDlg could not init Winsock. "
                                         L"Network functionality will fail.");
    }
    return 1;
}

LRESULT CNetworkDlg::OnSocketNotify(UINT, WPARAM, LPARAM lParam, BOOL&) {
    // Any socket's notification counts; only a clean data-ready event wakes the cycle.
    if (WSAGETSELECTERROR(lParam) == 0 && WSAGETSELECTEVENT(lParam) == FD_READ && WakeSemaphore) {
        ++RaisedWakes;
        if (!ReleaseSemaphore(WakeSemaphore[0].get(), 1, nullptr)) --RaisedWakes;  // at the maximum
    }
    return 0;
}

void CNetworkDlg::ParseReply(const unsigned char* bytes, int count) {
    ::ParseReply(bytes, count, *Session->serverData,
                 ReplyFields{ServerName, MapName, PlayerCount, MaxPlayers, ReplyParsed});
}
