// A fake Tribes server: answers the "b**" status query on one or many UDP ports of 127.0.0.1,
// normally or with one of the misbehaviours a client must survive.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/tribes_emu/reply_builder.h"
#include "tools/tribes_emu/udp_endpoint.h"

namespace tribes_emu {

enum class ReplyMode {
    Normal,        // one reply per query
    Silent,        // no reply
    Delay,         // one reply per query, sent Behaviour::delay after it arrived
    Double,        // the reply twice
    Stray,         // no reply; only stray datagrams (see Behaviour::strayEvery)
    Oversized,     // one reply of Behaviour::oversizedLength bytes
    Cut,           // the reply's first Behaviour::cutLength bytes
    Team255First,  // a reply whose team count is 255, then the real one
    OtherPort,     // the reply, sent from another port than the one queried
};

struct Behaviour {
    ReplyMode mode = ReplyMode::Normal;
    std::chrono::milliseconds delay{0};
    std::size_t cutLength = 0;
    std::size_t oversizedLength = 2100;  // padded with empty player records
    // In any mode, a stray datagram (one that is not a reply) this often, from the queried
    // port to whoever queried last. 0: none, except in Stray mode, which then uses StrayEvery.
    std::chrono::milliseconds strayEvery{0};
};

constexpr std::chrono::milliseconds StrayEvery{250};

// The datagram sent as a stray: it starts almost like a reply.
extern const std::vector<std::uint8_t> StrayDatagram;

using Clock = std::chrono::steady_clock;

// Serves from construction to Stop or destruction, on one thread of its own.
class TribesEmulator {
public:
    // Binds one socket on 127.0.0.1 per entry of ports (0: a free port) and starts serving.
    // Throws std::system_error when a port cannot be bound, std::invalid_argument for no ports.
    TribesEmulator(ServerInfo server, Behaviour behaviour, const std::vector<std::uint16_t>& ports = {0});
    ~TribesEmulator();
    TribesEmulator(const TribesEmulator&) = delete;
    TribesEmulator& operator=(const TribesEmulator&) = delete;

    // Ends serving; waits at most about one wait step (50 ms) for the thread. Idempotent.
    void Stop();

    // The bound ports, in the order asked for.
    std::vector<std::uint16_t> Ports() const;
    std::uint16_t Port() const { return ports_.front(); }
    // The port that OtherPort replies come from.
    std::uint16_t OtherPort() const { return otherPort_; }

    // Changes what later queries get.
    void SetServer(const ServerInfo& server);
    void SetBehaviour(const Behaviour& behaviour);
    // Changes the server in place, between two replies (the control port's commands); what
    // change returns is handed back.
    std::string ChangeServer(const std::function<std::string(ServerInfo&)>& change);

    // "b**" queries received, over all ports and on the port at portIndex.
    int QueryCount() const;
    int QueryCountAt(std::size_t portIndex) const;
    // Arrival times of the latest queries on the port at portIndex (the most recent 4096).
    std::vector<Clock::time_point> QueryTimesAt(std::size_t portIndex) const;
    // Datagrams that were not exactly "b**"; ignored.
    int OtherDatagramCount() const;
    // Waits until at least count queries have arrived, or timeout; true when they have.
    bool WaitForQueries(int count, std::chrono::milliseconds timeout) const;

private:
    struct PendingSend {
        Clock::time_point due;
        const UdpEndpoint* from;
        Peer to;
        std::vector<std::uint8_t> bytes;
    };

    void Serve();
    void Receive(std::size_t portIndex);
    void OnQuery(std::size_t portIndex, const Peer& from, Clock::time_point now);
    void SendDue(Clock::time_point now);
    Clock::time_point NextDue() const;

    SocketLayer socketLayer_;
    std::vector<UdpEndpoint> endpoints_;
    UdpEndpoint otherEndpoint_;
    std::vector<std::uint16_t> ports_;
    std::uint16_t otherPort_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable queried_;
    ServerInfo server_;
    Behaviour behaviour_;
    std::vector<int> queryCounts_;
    std::vector<std::deque<Clock::time_point>> queryTimes_;
    int queryTotal_ = 0;
    int otherDatagrams_ = 0;

    // Owned by the serving thread.
    std::deque<PendingSend> pending_;
    bool haveQuerier_ = false;
    std::size_t lastQueriedPort_ = 0;
    Peer lastQuerier_;
    Clock::time_point nextStray_;

    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tribes_emu
