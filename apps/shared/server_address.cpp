#include "apps/shared/server_address.h"

#include "host/text/utf8_text.h"

namespace {

constexpr std::string_view Blanks = " \t\r\n";

bool Fail(ServerListError& error, std::string message) {
    error.message = std::move(message);
    return false;
}

bool ParsePort(std::string_view text, int& port) {
    if (text.empty() || text.size() > 5) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return false;
    port = value;
    return true;
}

}  // namespace

std::string ServerAddress::Text() const {
    const bool ipv6 = address.find(':') != std::string::npos;
    return (ipv6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

std::wstring ServerAddress::WideText() const {
    return WideFromUtf8(Text());
}

bool ParseServerAddress(std::string_view text, ServerAddress& server, ServerListError& error) {
    const std::string quoted = "'" + std::string(text) + "'";
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return Fail(error, quoted + " has no port: expected ADDRESS:PORT");
    std::string_view address = text.substr(0, colon);
    const std::string_view portText = text.substr(colon + 1);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    } else if (address.find_first_of(":[]") != std::string_view::npos) {
        return Fail(error, quoted + ": write an IPv6 address in brackets, as [ADDRESS]:PORT");
    }
    if (address.empty()) return Fail(error, quoted + " has no address: expected ADDRESS:PORT");
    if (address.find_first_of(Blanks) != std::string_view::npos) {
        return Fail(error, quoted + ": the address holds a blank");
    }
    int port = 0;
    if (!ParsePort(portText, port))
        return Fail(error, quoted + ": the port must be a number from 1 to 65535");
    server = ServerAddress{std::string(address), port};
    return true;
}
