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
    Unusable,     // five entries no server can have among the servers (see UnusableEntries)
    Repeats,      // the first server 200 times more, after the list
    FalseTotal,   // packet 1 alone, announcing 255 packets; no other packet is ever sent
    Largest,      // 255 full packets of loopback servers, whatever the list holds
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

// 0.0.0.0:28001, 255.255.255.255:28001, 224.0.0.1:28001, 239.255.255.250:1900, 10.200.0.1:0.
std::vector<Peer> UnusableEntries();
constexpr int RepeatsOfFirst = 200;

// The servers a master in behaviour's mode lists, given servers: the list as it goes out.
std::vector<Peer> ListedInMode(const std::vector<Peer>& servers, const MasterBehaviour& behaviour);

// Serves from construction to Stop or destruction, on one thread of its own.
class FakeMaster {
public:
    // Binds 127.0.0.1:port (0: a free port) and starts serving servers (as ListedInMode has
    // them). Throws std::system_error
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
    // The most list requests that came within one second: how hard a client asked.
    int BusiestSecond() const;

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
    std::deque<std::chrono::steady_clock::time_point> lastSecond_;  // requests of the last second
    int busiestSecond_ = 0;

    std::deque<PendingSend> pending_;  // owned by the serving thread
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tribes_emu
