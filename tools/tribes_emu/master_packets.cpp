#include "tools/tribes_emu/master_packets.h"

#include <algorithm>
#include <stdexcept>

namespace tribes_emu {
namespace {

constexpr std::size_t HeaderBytes = 8;
constexpr std::size_t EntryBytes = 7;
constexpr std::size_t MostEntries = 255;  // the count is one byte

void AppendText(Packet& packet, const std::string& text) {
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    packet.push_back(static_cast<std::uint8_t>(length));
    packet.insert(packet.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

std::size_t EntriesThatFit(std::size_t packetBytes, std::size_t used) {
    const std::size_t room = packetBytes > used ? (packetBytes - used) / EntryBytes : 0;
    return std::clamp<std::size_t>(room, 1, MostEntries);
}

}  // namespace

std::vector<Packet> BuildMasterPackets(const std::vector<Peer>& servers, const std::string& name,
                                       const std::string& motd, std::uint16_t key, std::size_t packetBytes) {
    std::vector<Packet> packets;
    std::size_t next = 0;
    do {
        Packet packet = {
            0x10, 0x06, 0, 0, static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(key & 0xFF),
            0x00, 0x66};
        if (packets.empty()) {
            AppendText(packet, name);
            AppendText(packet, motd);
        }
        const std::size_t count =
            std::min(EntriesThatFit(packetBytes, packet.size() + 2), servers.size() - next);
        packet.push_back(0x00);
        packet.push_back(static_cast<std::uint8_t>(count));
        for (std::size_t i = 0; i < count; ++i, ++next) {
            const Peer& server = servers[next];
            packet.insert(
                packet.end(),
                {0x06, static_cast<std::uint8_t>(server.address >> 24),
                 static_cast<std::uint8_t>(server.address >> 16),
                 static_cast<std::uint8_t>(server.address >> 8), static_cast<std::uint8_t>(server.address),
                 static_cast<std::uint8_t>(server.port & 0xFF), static_cast<std::uint8_t>(server.port >> 8)});
        }
        packets.push_back(std::move(packet));
    } while (next < servers.size());
    if (packets.size() > 255) throw std::invalid_argument("the list needs more than 255 packets");
    for (std::size_t i = 0; i < packets.size(); ++i) {
        packets[i][MasterNumberByte] = static_cast<std::uint8_t>(i + 1);
        packets[i][3] = static_cast<std::uint8_t>(packets.size());
    }
    return packets;
}

std::size_t LargestListSize(const std::string& name, const std::string& motd, std::size_t packetBytes) {
    const std::size_t textBytes =
        2 + std::min<std::size_t>(name.size(), 255) + std::min<std::size_t>(motd.size(), 255);
    return EntriesThatFit(packetBytes, HeaderBytes + textBytes + 2) +
           254 * EntriesThatFit(packetBytes, HeaderBytes + 2);
}

std::size_t MasterCountByte(const Packet& packet) {
    if (packet[MasterNumberByte] != 1) return HeaderBytes + 1;
    const std::size_t motdAt = HeaderBytes + 1 + packet[HeaderBytes];
    return motdAt + 1 + packet[motdAt] + 1;
}

}  // namespace tribes_emu
