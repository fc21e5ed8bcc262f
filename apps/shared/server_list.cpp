#include "apps/shared/server_list.h"

#include <filesystem>
#include <unordered_set>

#include "apps/shared/text_lines.h"
#include "host/text/text_file.h"

namespace {

constexpr std::string_view Blanks = " \t\r\n";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

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

bool ParseServerList(std::string_view content, std::string_view origin, std::vector<ServerAddress>& servers,
                     ServerListError& error, ServerTextReader read) {
    size_t lineNumber = 0;
    while (!content.empty()) {
        ++lineNumber;
        std::string_view line = TakeLine(content);
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        ServerAddress server;
        if (!read(line, server, error)) {
            error.message = std::string(origin) + ":" + std::to_string(lineNumber) + ": " + error.message;
            return false;
        }
        servers.push_back(std::move(server));
    }
    return true;
}

bool ReadServerListFile(const std::string& path, std::vector<ServerAddress>& servers, ServerListError& error,
                        ServerTextReader read) {
    std::string content;
    switch (ReadTextFile(std::filesystem::u8path(path), content)) {
        case TextFileRead::CannotOpen:
            return Fail(error, "cannot read the server list '" + path + "'");
        case TextFileRead::NotText:
            return Fail(error, NotTextMessage("the server list '" + path + "'"));
        case TextFileRead::Read:
            break;
    }
    return ParseServerList(content, path, servers, error, read);
}

std::vector<ServerAddress> WithoutDuplicates(const std::vector<ServerAddress>& servers) {
    // By text, which says address and port alike: masters' lists of thousands merge in linear time.
    std::unordered_set<std::string> seen;
    std::vector<ServerAddress> unique;
    for (const ServerAddress& server : servers) {
        if (seen.insert(server.Text()).second) unique.push_back(server);
    }
    return unique;
}
