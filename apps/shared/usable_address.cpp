#include "apps/shared/usable_address.h"

#include <optional>
#include <vector>

#include "apps/shared/kind_counts.h"

namespace {

// a.b.c.d, four decimal numbers of 0 to 255: the only form the host's resolver takes for an
// address without a lookup. Anything else is a name (or nothing the resolver takes).
std::optional<std::uint32_t> DottedAddress(std::string_view text) {
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') return std::nullopt;
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        unsigned value = 0;
        while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9')
            value = value * 10 + static_cast<unsigned>(text[digits++] - '0');
        if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
        text.remove_prefix(digits);
        address = address << 8 | value;
    }
    if (!text.empty()) return std::nullopt;
    return address;
}

}  // namespace

Unusable UnusableServer(std::uint32_t address, int port) {
    if (address >> 24 == 0) return Unusable::ThisNetwork;
    if (address == 0xFFFFFFFFu) return Unusable::Broadcast;
    if (address >> 28 == 0xE) return Unusable::Multicast;
    if (address >> 28 == 0xF) return Unusable::Reserved;
    if (port == 0) return Unusable::PortZero;
    return Unusable::None;
}

const char* UnusableText(Unusable why) {
    switch (why) {
        case Unusable::None:
            return "";
        case Unusable::ThisNetwork:
            return "in 0.0.0.0/8";
        case Unusable::Broadcast:
            return "broadcast";
        case Unusable::Multicast:
            return "multicast";
        case Unusable::Reserved:
            return "reserved";
        case Unusable::PortZero:
            return "port 0";
    }
    return "?";
}

int UnusableCounts::Total() const {
    int total = 0;
    for (const int count : byKind) total += count;
    return total;
}

std::vector<KindCount> UnusableCounts::Kinds() const {
    std::vector<KindCount> kinds;
    for (std::size_t i = 0; i < UnusableKinds; ++i)
        kinds.push_back({byKind[i], UnusableText(static_cast<Unusable>(i + 1))});
    return kinds;
}

bool CheckUsableServer(const ServerAddress& server, ServerListError& error) {
    const std::optional<std::uint32_t> address = DottedAddress(server.address);
    // A name passes the address test (0x01000000 is usable) and still meets the port's.
    const Unusable why = UnusableServer(address.value_or(0x01000000u), server.port);
    if (why == Unusable::None) return true;
    error.message = "'" + server.Text() + "': no server can have this address (" + UnusableText(why) + ")";
    return false;
}

bool ParseUsableServerAddress(std::string_view text, ServerAddress& server, ServerListError& error) {
    return ParseServerAddress(text, server, error) && CheckUsableServer(server, error);
}
