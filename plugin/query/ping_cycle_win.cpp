// The ping cycle: one "b**" query-and-reply exchange with one server, run on the host's ping
// thread, woken by the network message window's semaphore.
#include <cstring>

#include "plugin/query/table_names.h"
#include "plugin/query/network_dlg.h"
#include "plugin/query/ping_outcome.h"
#include "plugin/query/ping_pacing.h"

namespace {

constexpr char QueryText[] = "b**";
// Every kind of input wakes the wait: keys, mouse, posted, timer, paint, sent and hot-key.
constexpr DWORD AnyInput = 0xFF;

// Why a pass's wait returned, from what MsgWaitForMultipleObjects said on one handle.
Wakeup WakeupOf(DWORD woken) {
    switch (woken) {
        case WAIT_OBJECT_0:
            return Wakeup::Signalled;
        case WAIT_TIMEOUT:
            return Wakeup::RanOut;
        case WAIT_OBJECT_0 + 1:
            return Wakeup::Input;
        default:
            return Wakeup::Failed;
    }
}

// The socket layer's description of its last error, read before any other socket call.
std::wstring LastSocketErrorText() {
    const int code = WSAGetLastError();
    std::wstring text;
    KRNetUtil::getStringFromWinsockError(code, text);
    return text;
}

}  // namespace

// The cycle's passes as RunPasses paces them, on this window's semaphore and socket.
class CNetworkDlg::CycleSteps final : public PassSteps {
public:
    explicit CycleSteps(CNetworkDlg& dialog) : dialog_(dialog) {}

    int Elapsed() override {
        TimeStamp now;
        MarkTime(now);
        return ElapsedMilliseconds(now, dialog_.StartTime);
    }
    Wakeup Wait(std::uint32_t milliseconds) override {
        const DWORD woken =
            MsgWaitForMultipleObjects(1, dialog_.WakeSemaphore[0].addressof(), FALSE, milliseconds, AnyInput);
        if (woken == WAIT_OBJECT_0) --dialog_.RaisedWakes;
        if (woken == WAIT_FAILED) dialog_.WaitError = GetLastError();
        return WakeupOf(woken);
    }
    Received Receive() override {
        if (dialog_.ReceiveReply() != 1) {
            return WSAGetLastError() == WSAEWOULDBLOCK ? Received::Nothing : Received::Failed;
        }
        return dialog_.ReplyParsed ? Received::Reply : Received::Datagram;
    }
    bool Resend() override { return dialog_.SendQuery() == 1; }

private:
    CNetworkDlg& dialog_;
};

int CNetworkDlg::SetTimeoutSeconds(int seconds) {
    TimeoutSeconds = seconds;
    return 1;
}

int CNetworkDlg::SetServerAddress(const wchar_t* address) {
    ServerAddress = address ? address : L"";
    return 1;
}

int CNetworkDlg::SetServerPort(int port) {
    ServerPort = port;
    return 1;
}

int CNetworkDlg::RunPing() {
    VtServerData& data = *Session->serverData;

    QueryLength = 0;
    PlayerCount = 0;
    MaxPlayers = 0;
    ReplyParsed = false;
    ServerName.clear();
    MapName.clear();

    switch (Exchange(data)) {
        case Outcome::Success:
            WriteSuccess(data, ServerName, MapName, PlayerCount, MaxPlayers);
            break;
        case Outcome::Timeout:
            WriteTimeout(data);
            break;
        case Outcome::SocketFailure:
            WriteFailure(data, LastSocketErrorText());
            break;
        case Outcome::NoSemaphore:
            WriteFailure(data, NoSemaphoreDetail());
            break;
        case Outcome::WaitFailed:
            WriteFailure(data, WaitFailedDetail(WaitError));
            break;
    }
    EndExchange();
    return 1;
}

CNetworkDlg::Outcome CNetworkDlg::Exchange(VtServerData& data) {
    // A window whose socket layer never started has nothing to wait on.
    if (!WakeSemaphore) return Outcome::NoSemaphore;

    Socket.reset(socket(AF_INET, SOCK_DGRAM, 0));
    if (!Socket) return Outcome::SocketFailure;
    // Also makes the socket non-blocking.
    if (WSAAsyncSelect(Socket.get(), m_hWnd, WM_SOCKET_NOTIFY, FD_READ) == SOCKET_ERROR)
        return Outcome::SocketFailure;

    std::uint32_t address = 0;
    if (KRNetUtil::getServerFromString(ServerAddress.c_str(), address) != VT_OK)
        return Outcome::SocketFailure;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<u_short>(ServerPort & 0xFFFF));
    peer.sin_addr.s_addr = address;  // already in network byte order
    // A datagram socket only fixes its peer: sends go there, and only its datagrams come in.
    if (connect(Socket.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == SOCKET_ERROR) {
        return Outcome::SocketFailure;
    }

    data.ClearTable(UsersTable);
    data.ClearTable(PropertiesTable);

    // A notification handled after an earlier cycle's clean-up (a second reply, say) left a
    // count that would wake this cycle for a datagram its new socket never gets.
    DrainWakeSemaphore();
    if (SendQuery() != 1) return Outcome::SocketFailure;
    MarkTime(StartTime);

    CycleSteps steps(*this);
    switch (RunPasses(TimeoutSeconds, steps)) {
        case CycleEnd::Reply:
            return Outcome::Success;
        case CycleEnd::Timeout:
            return Outcome::Timeout;
        case CycleEnd::SocketFailure:
            return Outcome::SocketFailure;
        case CycleEnd::WaitFailed:
            return Outcome::WaitFailed;
    }
    return Outcome::WaitFailed;
}

void CNetworkDlg::DrainWakeSemaphore() {
    while (RaisedWakes > 0 && WaitForSingleObject(WakeSemaphore[0].get(), 0) == WAIT_OBJECT_0) --RaisedWakes;
}

void CNetworkDlg::EndExchange() {
    if (WSAAsyncSelect(Socket.get(), m_hWnd, 0, 0) != SOCKET_ERROR) {
        // Only notifications queued for this thread can be removed here; the window's own
        // thread handles the rest, and the next cycle drains what they leave on the semaphore.
        MSG message;
        while (PeekMessageW(&message, m_hWnd, WM_SOCKET_NOTIFY, WM_SOCKET_NOTIFY, PM_REMOVE)) {
        }
    }
    Socket.reset();
}

int CNetworkDlg::SendQuery() {
    BytesSent = 0;
    if (ReplyParsed) return 1;
    do {
        std::memcpy(SendBuffer, QueryText, sizeof QueryText);
        QueryLength = static_cast<std::int32_t>(std::strlen(QueryText));
        const int sent = send(Socket.get(), reinterpret_cast<const char*>(SendBuffer) + BytesSent,
                              QueryLength - BytesSent, 0);
        if (sent == SOCKET_ERROR) return 0;
        BytesSent += sent;
    } while (BytesSent < QueryLength);
    BytesSent = 0;
    return 1;
}

int CNetworkDlg::ReceiveReply() {
    const int received = recv(Socket.get(), reinterpret_cast<char*>(ReceiveBuffer), sizeof ReceiveBuffer, 0);
    if (received == SOCKET_ERROR) return 0;
    ParseReply(ReceiveBuffer, received);
    return 1;
}

int PingSession(SessionRecord& session, CNetworkDlg* dialog, error_trap::HostHolds& holds) {
    VtServerEntry& entry = *session.serverEntry;
    VtServerData& data = *session.serverData;

    holds.AddRef(entry);
    holds.AddRef(data);

    holds.Lock(entry);
    std::wstring address = entry.GetAddress();
    const int port = entry.GetPort();
    const int timeoutSeconds = entry.GetTimeout();
    if (dialog) dialog->SetTimeoutSeconds(timeoutSeconds);
    holds.Unlock(entry);

    holds.BeginUpdate(data);
    if (dialog && dialog->OwningSession()) {
        dialog->SetServerAddress(address.c_str());
        dialog->SetServerPort(port);
        dialog->RunPing();
    } else {
        // The window was never created, so there is no cycle to run.
        WriteFailure(data, NoNetworkWindowDetail());
    }
    holds.EndUpdate(data);

    holds.Release(entry);
    holds.Release(data);
    return 1;
}
