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

}  // namespace

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
