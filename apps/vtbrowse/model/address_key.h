// A server's address as the server table finds it: an IPv4 address written as masters' lists
// and users write it ("127.0.0.1") packs with its port into one number, so the largest list a
// master can send is merged without building a text per entry; any other address (a host name,
// IPv6, digits written another way) keeps its text, so two addresses are one key exactly when
// their texts and ports are equal. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "apps/shared/server_address.h"

struct AddressKey {
    std::uint64_t packed = 0;  // IPv4 address and port, with PackedIpv4 set; else the port alone
    std::string text;          // the address when it is not packed

    bool operator==(const AddressKey& other) const { return packed == other.packed && text == other.text; }
};

struct AddressKeyHash {
    std::size_t operator()(const AddressKey& key) const;
};

// The bit that tells a packed IPv4 address from a port alone.
constexpr std::uint64_t PackedIpv4 = std::uint64_t{1} << 48;

AddressKey KeyOf(const ServerAddress& server);
