// A fake master server: hands out a list of servers on one UDP port of 127.0.0.1, paced or at
// once, normally or with one of the misbehaviours a master client must survive.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/tribes_emu/master_packets.h"
#include "tools/tribes_emu/udp_endpoint.h"

namespace tribes_emu {

enum class MasterMode {
    Normal,       // every packet asked for, once
    Silent,       // nothing
    LoseOnce,     // the faulty packet is lost the first time it would go out
    Twice,        // every packet twice
    Reverse,      // the packets of a whole answer last to first
    WrongKey,     // every packet with a key other than the request's
    WrongHeader,  // the faulty packet with another message type
    BadCount,     // the faulty packet's count one less than its entries
    Cut,          // the faulty packet without its last 3 bytes, inside its last entry
    Extra,        // a whole answer has one packet more than it announces, first
    Empty,        // an empty list, whatever the list holds
};

// The packet the misbehaviours above spoil: the middle one of a list of total packets.
int FaultyPacket(int total);

struct MasterBehaviour {
    MasterMode mode = MasterMode::Normal;
    std::size_t packetBytes = DefaultMasterPacketBytes;
    std::chrono::milliseconds pause{0};  // between two packets of one answer
    std::string name = "tribes-emu master";
    std::string motd = "A fake master on 127.0.0.1";
};

// Serves from construction to Stop or destruction, on one thread of its own.
class FakeMaster {
public:
    // Binds 127.0.0.1:port (0: a free port) and starts serving servers. Throws std::system_error
    // when the port cannot be bound, std::invalid_argument for a list longer than 255 packets.
    FakeMaster(std::vector<Peer> servers, MasterBehaviour behaviour, std::uint16_t port = 0);
    ~FakeMaster();
    FakeMaster(const FakeMaster&) = delete;
    FakeMaster& operator=(const FakeMaster&) = delete;

    // Ends serving; waits at most about one wait step (50 ms) for the thread. Idempotent.
    void Stop();

    std::uint16_t Port() const { return port_; }
    // List requests received: all of them, and those for one packet by number.
    int Requests() const;
    int RequestsByNumber() const;
    int PacketsSent() const;

private:
    struct PendingSend {
        std::chrono::steady_clock::time_point due;
        Peer to;
        Packet bytes;
    };

    void Serve();
    void OnRequest(const std::vector<std::uint8_t>& request, const Peer& from);
    void SendDue();

    SocketLayer socketLayer_;
    UdpEndpoint endpoint_;
    std::uint16_t port_ = 0;
    const std::vector<Peer> servers_;
    const MasterBehaviour behaviour_;
    int packetCount_ = 0;
    bool faultyLost_ = false;  // LoseOnce: the faulty packet has been lost once

    mutable std::mutex mutex_;
    int requests_ = 0;
    int requestsByNumber_ = 0;
    int packetsSent_ = 0;

    std::deque<PendingSend> pending_;  // owned by the serving thread
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tribes_emu
