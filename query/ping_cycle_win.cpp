// The ping cycle: one "b**" query-and-reply exchange with one server, run on the host's ping
// thread, woken by the network message window's semaphore.
#include <cstring>
#include <utility>

#include "boundary/table_names.h"
#include "query/network_dlg.h"
#include "query/ping_outcome.h"
#include "query/ping_pacing.h"

namespace {

constexpr char QueryText[] = "b**";
// Every kind of input wakes the wait: keys, mouse, posted, timer, paint, sent and hot-key.
constexpr DWORD AnyInput = 0xFF;

// The socket layer's description of its last error, read before any other socket call.
std::wstring LastSocketErrorText() {
    const int code = WSAGetLastError();
    std::wstring text;
    KRNetUtil::getStringFromWinsockError(code, text);
    return text;
}

}  // namespace

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
        case Outcome::Failure:
            WriteFailure(data, LastSocketErrorText());
            break;
    }
    EndExchange();
    return 1;
}

CNetworkDlg::Outcome CNetworkDlg::Exchange(VtServerData& data) {
    // A window whose socket layer never started has nothing to wait on.
    if (!WakeSemaphore) return Outcome::Failure;

    Socket.reset(socket(AF_INET, SOCK_DGRAM, 0));
    if (!Socket) return Outcome::Failure;
    // Also makes the socket non-blocking.
    if (WSAAsyncSelect(Socket.get(), m_hWnd, WM_SOCKET_NOTIFY, FD_READ) == SOCKET_ERROR)
        return Outcome::Failure;

    std::uint32_t address = 0;
    if (KRNetUtil::getServerFromString(ServerAddress.c_str(), address) != VT_OK) return Outcome::Failure;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<u_short>(ServerPort & 0xFFFF));
    peer.sin_addr.s_addr = address;  // already in network byte order
    // A datagram socket only fixes its peer: sends go there, and only its datagrams come in.
    if (connect(Socket.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == SOCKET_ERROR) {
        return Outcome::Failure;
    }

    data.ClearTable(UsersTable);
    data.ClearTable(PropertiesTable);

    // A notification handled after an earlier cycle's clean-up (a second reply, say) left a
    // count that would wake this cycle for a datagram its new socket never gets.
    DrainWakeSemaphore();
    if (SendQuery() != 1) return Outcome::Failure;
    MarkTime(StartTime);

    int resendCounter = TimeoutSeconds;
    for (;;) {
        TimeStamp now;
        MarkTime(now);
        const PassWait wait =
            ChoosePassWait(ElapsedMilliseconds(now, StartTime), TimeoutSeconds, resendCounter);
        const DWORD woken =
            MsgWaitForMultipleObjects(1, WakeSemaphore[0].addressof(), FALSE, wait.milliseconds, AnyInput);

        bool empty = true;
        if (woken == WAIT_OBJECT_0) {
            if (ReceiveReply() == 1) {
                empty = false;
            } else if (WSAGetLastError() != WSAEWOULDBLOCK) {
                return Outcome::Failure;
            }
            // Nothing waiting: the count came from a notification of an earlier cycle's socket
            // that the window's thread, busy with many sessions, handled only after this cycle
            // drained the semaphore. An empty pass, like a stray's.
        } else if (woken == WAIT_TIMEOUT) {
            if (wait.full) {
                --resendCounter;
                if (SendQuery() != 1) return Outcome::Failure;
            }
        } else if (woken != WAIT_OBJECT_0 + 1) {
            // Neither the semaphore, nor input, nor the time: the wait itself failed.
            return Outcome::Failure;
        }
        // New input in this thread's queue is left there: nothing dispatched, nothing sent.

        if (ReplyParsed) return Outcome::Success;
        if ((empty && resendCounter == 0) || wait.last) return Outcome::Timeout;
    }
}

void CNetworkDlg::DrainWakeSemaphore() {
    while (WaitForSingleObject(WakeSemaphore[0].get(), 0) == WAIT_OBJECT_0) {
    }
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

int PingSession(ServerSession* session, PingHolds& holds) {
    CNetworkDlg* dialog = session->networkWindow ? session->networkWindow->dialog.get() : nullptr;
    VtServerEntry* entry = session->serverEntry;
    VtServerData* data = session->serverData;

    // Each hold is recorded right after the call that takes it, and dropped only once the call
    // that gives it back has returned: a fault in either leaves the hold for GiveBack, so a
    // giving back that failed (a host call that fails has done nothing) is made once more.
    entry->AddRef();
    holds.referencedEntry = entry;
    data->AddRef();
    holds.referencedData = data;

    entry->Lock();
    holds.lockedEntry = entry;
    std::wstring address = entry->GetAddress();
    const int port = entry->GetPort();
    const int timeoutSeconds = entry->GetTimeout();
    if (dialog) dialog->SetTimeoutSeconds(timeoutSeconds);
    entry->Unlock();
    holds.lockedEntry = nullptr;

    data->BeginUpdate();
    holds.openUpdate = data;
    if (dialog && dialog->OwningSession()) {
        dialog->SetServerAddress(address.c_str());
        dialog->SetServerPort(port);
        holds.exchanging = dialog;
        dialog->RunPing();
        holds.exchanging = nullptr;
    } else {
        // The window was never created, so there is no cycle to run.
        WriteFailure(*data, LastSocketErrorText());
    }
    data->EndUpdate();
    holds.openUpdate = nullptr;

    entry->Release();
    holds.referencedEntry = nullptr;
    data->Release();
    holds.referencedData = nullptr;
    return 1;
}

void PingHolds::GiveBack() {
    if (CNetworkDlg* dialog = std::exchange(exchanging, nullptr)) dialog->CloseSocket();
    if (VtServerEntry* entry = std::exchange(lockedEntry, nullptr)) entry->Unlock();
    if (VtServerData* data = std::exchange(openUpdate, nullptr)) data->EndUpdate();
    if (VtServerEntry* entry = std::exchange(referencedEntry, nullptr)) entry->Release();
    if (VtServerData* data = std::exchange(referencedData, nullptr)) data->Release();
}
