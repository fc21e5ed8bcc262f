#include "bench/floor_exchange_win.h"

#include <cstring>

#include "bench/notify_windows_win.h"
#include "common/owners/unique_resource.h"

namespace {

constexpr char Query[] = "b**";
constexpr int QueryLength = 3;
constexpr DWORD WaitStepMs = 1000;
constexpr DWORD AllInput = 0xFF;  // the wake mask a ping waits with

bool IsReply(const char* bytes, int count) {
    return count >= 4 && std::memcmp(bytes, "c**b", 4) == 0;
}

// Stops the notifications and drops any this thread's queue holds for window; the socket's
// owner closes it afterwards. Mirrors what a ping does after every outcome.
void CancelNotifications(SOCKET socket, HWND window) {
    if (WSAAsyncSelect(socket, window, 0, 0) == SOCKET_ERROR) return;
    MSG message;
    while (PeekMessageW(&message, window, NotifyWindows::NotifyMessage, NotifyWindows::NotifyMessage,
                        PM_REMOVE)) {
    }
}

}  // namespace

FloorExchangeResult FloorExchange(HWND window, const HANDLE* semaphore, std::uint16_t port, int budgetSeconds,
                                  std::array<char, 2000>& buffer) {
    FloorExchangeResult result;
    owners::unique_socket socket(::socket(AF_INET, SOCK_DGRAM, 0));
    if (!socket) {
        result.socketError = WSAGetLastError();
        return result;
    }
    struct Cancel {
        SOCKET socket;
        HWND window;
        ~Cancel() { CancelNotifications(socket, window); }
    } cancel{socket.get(), window};

    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (WSAAsyncSelect(socket.get(), window, NotifyWindows::NotifyMessage, FD_READ) == SOCKET_ERROR ||
        connect(socket.get(), reinterpret_cast<const sockaddr*>(&server), sizeof server) == SOCKET_ERROR ||
        send(socket.get(), Query, QueryLength, 0) != QueryLength) {
        result.socketError = WSAGetLastError();
        return result;
    }
    result.queriesSent = 1;

    // One full wait per second of budget; each that runs out re-sends, like a ping.
    int emptyWaitsLeft = budgetSeconds;
    while (true) {
        DWORD woke = MsgWaitForMultipleObjects(1, semaphore, FALSE, WaitStepMs, AllInput);
        if (woke == WAIT_OBJECT_0) {
            int count = recv(socket.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
            if (count == SOCKET_ERROR) {
                result.socketError = WSAGetLastError();
                return result;
            }
            if (IsReply(buffer.data(), count)) {
                result.replied = true;
                result.replyBytes = count;
                return result;
            }
        } else if (woke == WAIT_TIMEOUT) {
            if (emptyWaitsLeft-- <= 0) return result;
            if (send(socket.get(), Query, QueryLength, 0) != QueryLength) {
                result.socketError = WSAGetLastError();
                return result;
            }
            ++result.queriesSent;
        } else if (woke != WAIT_OBJECT_0 + 1) {
            result.socketError = static_cast<int>(GetLastError());
            return result;
        }
    }
}
