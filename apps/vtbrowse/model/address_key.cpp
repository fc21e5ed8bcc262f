#include "apps/vtbrowse/model/address_key.h"

#include <functional>
#include <optional>
#include <string_view>

namespace {

// The IPv4 address of text written as four decimal numbers 0 to 255 without leading zeros, the
// one way that maps back to the same text; nothing otherwise.
std::optional<std::uint32_t> DottedIpv4(std::string_view text) {
    std::uint32_t address = 0;
    int parts = 0;
    std::size_t at = 0;
    while (parts < 4) {
        std::size_t end = at;
        std::uint32_t part = 0;
        while (end < text.size() && end - at < 4 && text[end] >= '0' && text[end] <= '9')
            part = part * 10 + static_cast<std::uint32_t>(text[end++] - '0');
        const std::size_t digits = end - at;
        if (digits == 0 || digits > 3 || part > 255 || (digits > 1 && text[at] == '0')) return std::nullopt;
        address = address << 8 | part;
        ++parts;
        if (parts < 4) {
            if (end >= text.size() || text[end] != '.') return std::nullopt;
            ++end;
        } else if (end != text.size()) {
            return std::nullopt;
        }
        at = end;
    }
    return address;
}

}  // namespace

std::size_t AddressKeyHash::operator()(const AddressKey& key) const {
    // Packed keys differ mostly in their low bits (the port, the address's last byte): mixed over
    // the whole word before the table takes its bucket from it.
    std::uint64_t mixed = key.packed * 0x9E3779B97F4A7C15ull;
    mixed ^= mixed >> 29;
    const std::size_t packedHash = static_cast<std::size_t>(mixed);
    return key.text.empty() ? packedHash : packedHash ^ std::hash<std::string>{}(key.text);
}

AddressKey KeyOf(const ServerAddress& server) {
    AddressKey key;
    const std::uint64_t port = static_cast<std::uint16_t>(server.port);
    if (const std::optional<std::uint32_t> ipv4 = DottedIpv4(server.address);
        ipv4 && server.port > 0 && server.port <= 0xFFFF) {
        key.packed = PackedIpv4 | std::uint64_t{*ipv4} << 16 | port;
    } else {
        key.packed = static_cast<std::uint64_t>(static_cast<std::uint32_t>(server.port));
        key.text = server.address;
    }
    return key;
}
