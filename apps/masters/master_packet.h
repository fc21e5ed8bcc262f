// The master server's list protocol on the wire: the request a client sends and one packet of
// the list a master sends back, read over the bounded byte reader (never past the datagram).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/wire/byte_reader.h"

constexpr int DefaultMasterPort = 28000;
// Byte 2 of a request that asks for every packet of the list; 1 to 254 ask for that packet.
constexpr int EveryMasterPacket = 0xFF;

// The 6-byte list request: version 0x10, list request 0x03, the packet asked for, 0, and the
// key the master echoes in bytes 4 and 5 of each packet.
std::array<std::uint8_t, 6> MasterRequest(int packet, std::uint16_t key);

// One server of a list: an IPv4 address (a.b.c.d as a << 24 | ...) and a port.
struct MasterEntry {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    bool operator==(const MasterEntry& other) const { return address == other.address && port == other.port; }
};

// What is wrong with a datagram that is not a usable packet; each rejects the whole datagram.
enum class PacketFault {
    None,
    CutShort,       // it ends before the header, the texts, the count or the entries counted
    WrongHeader,    // not version 0x10 and list reply 0x06, or a packet number or total of 0
    WrongKey,       // not the key of our request: another exchange's, or a stray
    CountMismatch,  // bytes left over after the entries its count announces
    BadEntry,       // an entry that does not start with 0x06
};

struct MasterPacket {
    int number = 0;  // from 1; the list judges one past total
    int total = 0;   // packets in the whole list
    // Packet 1 only: the master's name and message of the day, 8-bit text as sent.
    std::string name;
    std::string motd;
    std::vector<MasterEntry> entries;
};

struct PacketReading {
    PacketFault fault = PacketFault::None;
    MasterPacket packet;  // meaningful when fault is None
};

// Reads one datagram of a master's reply to a request made with key.
PacketReading ReadMasterPacket(ByteSpan datagram, std::uint16_t key);
