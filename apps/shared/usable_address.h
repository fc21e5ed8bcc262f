// Addresses no game server can have, whoever names them: a master's list or the user. A ping to
// one either cannot arrive (no host has it, port 0) or reaches hosts that are no server, every
// one of a network at once (broadcast, multicast). Loopback and private ranges stay usable: a
// master on a LAN lists them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "apps/shared/kind_counts.h"
#include "apps/shared/server_address.h"

enum class Unusable {
    None,
    ThisNetwork,  // 0.0.0.0/8
    Broadcast,    // 255.255.255.255
    Multicast,    // 224.0.0.0/4
    Reserved,     // 240.0.0.0/4, broadcast aside
    PortZero,
};
constexpr std::size_t UnusableKinds = 5;

// Why an IPv4 address (a.b.c.d as a << 24 | ...) and port can be no server's; None when they can.
Unusable UnusableServer(std::uint32_t address, int port);

// "in 0.0.0.0/8", "broadcast", "multicast", "reserved", "port 0"; empty for None.
const char* UnusableText(Unusable why);

// Entries left out, by why (index: the kind - 1).
struct UnusableCounts {
    std::array<int, UnusableKinds> byKind{};

    void Count(Unusable why) { ++byKind[static_cast<std::size_t>(why) - 1]; }
    int Of(Unusable why) const { return byKind[static_cast<std::size_t>(why) - 1]; }
    int Total() const;
    // "1 in 0.0.0.0/8, 2 multicast, 1 port 0": the kinds met; empty when none was.
    template <class Char = char>
    std::basic_string<Char> Text() const {
        return KindCountsText<Char>(Kinds());
    }
    std::vector<KindCount> Kinds() const;
};

// A server named by text passes unless it is a dotted IPv4 address (or port) the rule refuses;
// a name is judged by where it resolves, which is the plugin's to do. False with error filled:
// "'224.0.0.1:28001': no server can have this address (multicast)".
bool CheckUsableServer(const ServerAddress& server, ServerListError& error);

// ParseServerAddress, then CheckUsableServer: what the user types as a server to ask.
bool ParseUsableServerAddress(std::string_view text, ServerAddress& server, ServerListError& error);
