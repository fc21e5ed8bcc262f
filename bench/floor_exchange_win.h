// One status query and its reply by the ping mechanism and nothing else: a fresh UDP socket
// whose data-ready notifications go to a window on another thread, "b**" sent, the wait on the
// window's semaphore with MsgWaitForMultipleObjects, the reply received into a fixed buffer.
// No host objects, no parsing, no text.
#pragma once

#include <array>
#include <cstdint>

#include "common/contract/windows_headers.h"

struct FloorExchangeResult {
    bool replied = false;  // a datagram starting "c**b" came back within the budget
    int replyBytes = 0;
    int queriesSent = 0;
    int socketError = 0;  // WSAGetLastError of the step that failed; 0 when none did
};

// Queries 127.0.0.1:port once and waits up to budgetSeconds for the reply, re-sending the
// query after every second without one. window must post its notifications as counts on
// semaphore and belong to another, message-pumping thread.
FloorExchangeResult FloorExchange(HWND window, const HANDLE* semaphore, std::uint16_t port, int budgetSeconds,
                                  std::array<char, 2000>& buffer);
