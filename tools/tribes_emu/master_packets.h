// The list a master server hands out, as the packets it sends: written here from the protocol's
// public description, apart from the client that reads them, so each checks the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/tribes_emu/udp_endpoint.h"

namespace tribes_emu {

using Packet = std::vector<std::uint8_t>;

// About what one open master sends: 66 entries after the header of a later packet.
constexpr std::size_t DefaultMasterPacketBytes = 472;

// The packets of servers' list for a request with key: the header 0x10 0x06 N T K1 K2 0x00 0x66;
// in packet 1 the name and message of the day (each a length byte and its text, cut to 255);
// then 0x00, a count and that many entries 0x06 a b c d port-low port-high. Each packet is at
// most packetBytes long (with at least one entry); an empty list is one packet with none.
// Throws std::invalid_argument when the list needs more than 255 packets.
std::vector<Packet> BuildMasterPackets(const std::vector<Peer>& servers, const std::string& name,
                                       const std::string& motd, std::uint16_t key, std::size_t packetBytes);

// How many servers fill 255 packets of at most packetBytes, packet 1 with the name and message of
// the day: the largest list a master can describe at that size. Each packet holds 255 at the
// most (its count is one byte): 65,025 in all once packets may be 1,795 bytes (packet 1: its
// texts more).
std::size_t LargestListSize(const std::string& name, const std::string& motd, std::size_t packetBytes);

// Offsets a misbehaving master spoils.
constexpr std::size_t MasterTypeByte = 1;
constexpr std::size_t MasterNumberByte = 2;

// The count byte's offset in a packet built by BuildMasterPackets.
std::size_t MasterCountByte(const Packet& packet);

}  // namespace tribes_emu
