#include "tools/tribes_emu/control_commands.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace tribes_emu {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Count(const ServerInfo& server) {
    return std::to_string(server.playerCount) + "/" + std::to_string(server.playerLimit);
}

// The team a new player joins: the one of the listed teams with the fewest players.
std::uint8_t EmptiestTeam(const ServerInfo& server) {
    if (server.teamCount < 2 || server.teams.empty()) return 0;
    std::vector<int> members(server.teams.size(), 0);
    for (const PlayerInfo& player : server.players) {
        if (player.team < members.size()) ++members[player.team];
    }
    return static_cast<std::uint8_t>(std::min_element(members.begin(), members.end()) - members.begin());
}

std::string Join(ServerInfo& server, std::string_view name) {
    if (name.empty()) return "error join needs a player name";
    if (name.size() > 255) return "error a name holds at most 255 bytes";
    if (server.players.size() >= std::min<std::size_t>(server.playerLimit, 255))
        return "error the server is full (" + Count(server) + ")";
    server.players.push_back({std::string(name), 60, 0, EmptiestTeam(server), PlayerScoreText(0)});
    server.playerCount = static_cast<std::uint8_t>(server.players.size());
    return "ok " + Count(server);
}

std::string Leave(ServerInfo& server, std::string_view name) {
    auto leaving = server.players.end();
    if (name.empty()) {
        if (!server.players.empty()) leaving = server.players.end() - 1;
    } else {
        leaving = std::find_if(server.players.begin(), server.players.end(),
                               [&](const PlayerInfo& player) { return SameLetters(player.name, name); });
    }
    if (leaving == server.players.end())
        return name.empty() ? "error nobody is playing"
                            : "error nobody named " + std::string(name) + " plays";
    server.players.erase(leaving);
    server.playerCount = static_cast<std::uint8_t>(server.players.size());
    return "ok " + Count(server);
}

std::string Limit(ServerInfo& server, std::string_view number) {
    if (number.empty() || number.size() > 3 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "error limit takes a number from 0 to 255";
    const int limit = std::stoi(std::string(number));
    if (limit > 255) return "error limit takes a number from 0 to 255";
    server.playerLimit = static_cast<std::uint8_t>(limit);
    return "ok " + Count(server);
}

}  // namespace

std::string ApplyControl(ServerInfo& server, std::string_view command) {
    command = Trimmed(command);
    const std::size_t space = command.find(' ');
    const std::string_view verb = command.substr(0, space);
    const std::string_view argument = space == std::string_view::npos ? "" : Trimmed(command.substr(space));
    if (verb == "join") return Join(server, argument);
    if (verb == "leave") return Leave(server, argument);
    if (verb == "limit") return Limit(server, argument);
    if (verb == "status" && argument.empty()) return "ok " + Count(server);
    return "error unknown command '" + std::string(command.substr(0, 40)) +
           "'; known: join NAME, leave [NAME], limit N, status";
}

}  // namespace tribes_emu
