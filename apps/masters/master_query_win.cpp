#include "apps/masters/master_query_win.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "common/contract/host_services.h"
#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"
#include "host/text/utf8_text.h"

namespace {

// The longest one wait lasts, so a cancel is seen soon.
constexpr std::chrono::milliseconds WaitStep{50};
// A datagram can be no longer: no packet is ever cut by our buffer.
constexpr int LargestDatagram = 65536;
constexpr int ReceiveBurst = 256;

std::string WinsockErrorText(int code) {
    std::wstring text;
    KRNetUtil::getStringFromWinsockError(code, text);
    return Utf8FromWide(text) + " (" + std::to_string(code) + ")";
}

MasterOutcome Failed(MasterStatus status, std::string detail) {
    MasterOutcome outcome;
    outcome.status = status;
    outcome.detail = std::move(detail);
    return outcome;
}

// Waits up to timeout for the socket to have a datagram; false on time-out or error.
bool WaitReadable(SOCKET socket, std::chrono::milliseconds timeout) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    const long milliseconds = static_cast<long>(std::max<std::int64_t>(0, timeout.count()));
    timeval wait{milliseconds / 1000, milliseconds % 1000 * 1000};
    return select(0, &readable, nullptr, nullptr, &wait) == 1;
}

MasterOutcome Exchange(SOCKET socket, const MasterTiming& timing, std::uint16_t key,
                       const std::atomic<bool>* cancel) {
    const MasterClock::time_point start = MasterClock::now();
    MasterExchange exchange(timing, key, start);
    std::vector<char> buffer(LargestDatagram);
    bool cancelled = false;
    while (true) {
        MasterClock::time_point now = MasterClock::now();
        for (int packet : exchange.DueRequests(now)) {
            const auto request = MasterRequest(packet, key);
            // A request the socket layer refuses is as good as lost: the pacing asks again.
            send(socket, reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()), 0);
        }
        if (exchange.Over()) break;
        if (cancel && cancel->load()) {
            cancelled = true;
            break;
        }
        const auto untilDecision =
            std::chrono::ceil<std::chrono::milliseconds>(exchange.NextDecision() - MasterClock::now());
        if (!WaitReadable(socket, std::min(untilDecision, WaitStep))) continue;
        // A burst at a time, so a flood cannot keep the exchange from its decisions and its end.
        for (int taken = 0; taken < ReceiveBurst; ++taken) {
            const int length = recv(socket, buffer.data(), LargestDatagram, 0);
            // WSAECONNRESET: the master's port refused an earlier request; nothing to take.
            if (length < 0) break;
            exchange.Take(ByteSpan(reinterpret_cast<const unsigned char*>(buffer.data()),
                                   static_cast<std::size_t>(length)),
                          MasterClock::now());
        }
    }
    MasterOutcome outcome = exchange.Outcome();
    if (cancelled) outcome.detail = "cancelled";
    outcome.seconds = std::chrono::duration<double>(MasterClock::now() - start).count();
    return outcome;
}

MasterOutcome QueryMaster(const ServerAddress& master, const MasterTiming& timing, std::uint16_t key,
                          const std::atomic<bool>* cancel) {
    std::uint32_t address = 0;
    if (KRNetUtil::getServerFromString(WideFromUtf8(master.address).c_str(), address) != VT_OK)
        return Failed(MasterStatus::Unresolved, WinsockErrorText(WSAGetLastError()));
    owners::unique_socket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket) return Failed(MasterStatus::SocketError, WinsockErrorText(WSAGetLastError()));
    u_long nonBlocking = 1;
    // Room for the largest list sent at once: 255 packets of up to 1.8 KB (255 entries each), and
    // what the system keeps beside each datagram.
    const int receiveBuffer = 2 * 1024 * 1024;
    setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
               sizeof receiveBuffer);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = htons(static_cast<u_short>(master.port));
    // Connected: only the master's own datagrams reach us.
    if (ioctlsocket(socket.get(), FIONBIO, &nonBlocking) != 0 ||
        connect(socket.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
        return Failed(MasterStatus::SocketError, WinsockErrorText(WSAGetLastError()));
    return Exchange(socket.get(), timing, key, cancel);
}

}  // namespace

MasterGathering GatherMasters(const std::vector<ServerAddress>& masters, const MasterTiming& timing,
                              const std::atomic<bool>* cancel,
                              const std::function<void(size_t index, const MasterOutcome&)>& finished) {
    const owners::unique_winsock winsock = owners::unique_winsock::Start(MAKEWORD(2, 2));
    MasterGathering gathering;
    gathering.masters.resize(masters.size());
    std::mutex reporting;
    // Keys differ between masters and runs, so no master's packet passes for another's.
    const auto seed = static_cast<std::uint16_t>(MasterClock::now().time_since_epoch().count() >> 10);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < masters.size(); ++i) {
        threads.emplace_back([&, i] {
            const auto key = static_cast<std::uint16_t>(seed + 0x9E37 * (i + 1));
            MasterOutcome outcome = winsock
                                        ? QueryMaster(masters[i], timing, key, cancel)
                                        : Failed(MasterStatus::SocketError, "the socket layer did not start");
            outcome.master = masters[i].Text();
            std::lock_guard<std::mutex> hold(reporting);
            gathering.masters[i] = std::move(outcome);
            if (finished) finished(i, gathering.masters[i]);
        });
    }
    for (std::thread& thread : threads) thread.join();
    gathering.servers = MergedServers(gathering.masters);
    return gathering;
}
