// A master's list put back together from its packets: kept by number, so packets may come in
// any order, twice, or not at all; what does not belong to this list is counted and dropped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "apps/masters/master_packet.h"

// Datagrams dropped, by what was wrong with them.
struct RejectedPackets {
    int cutShort = 0;
    int wrongHeader = 0;
    int wrongKey = 0;
    int countMismatch = 0;
    int badEntry = 0;
    int beyondTotal = 0;  // a number past the total the first packet announced, or another total

    int Total() const { return cutShort + wrongHeader + wrongKey + countMismatch + badEntry + beyondTotal; }
};

enum class PacketTaken {
    Added,     // a packet of the list not seen before
    Repeat,    // a packet already held: ignored
    Rejected,  // not a packet of this list: counted in Rejected()
};

class MasterList {
public:
    explicit MasterList(std::uint16_t key) : key_(key) {}

    PacketTaken Take(ByteSpan datagram);

    // The packet count the first usable packet announced; 0 until one came.
    int Total() const { return total_; }
    int Received() const { return received_; }
    bool Complete() const { return total_ > 0 && received_ == total_; }
    // Whether packet number (from 1) came.
    bool Holds(int number) const;
    // Numbers of the packets still missing, lowest first; empty while the total is unknown.
    std::vector<int> Missing() const;

    // From packet 1, once it came: 8-bit text as sent.
    const std::string& Name() const { return name_; }
    const std::string& Motd() const { return motd_; }
    // The servers of the packets held, in packet order.
    std::vector<MasterEntry> Entries() const;
    const RejectedPackets& Rejected() const { return rejected_; }

private:
    std::uint16_t key_;
    int total_ = 0;
    int received_ = 0;
    std::vector<bool> held_;  // by packet number - 1
    std::vector<std::vector<MasterEntry>> entries_;
    std::string name_;
    std::string motd_;
    RejectedPackets rejected_;
};
