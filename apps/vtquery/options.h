// vtquery's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

// --launch: start the game on one server instead of refreshing.
struct LaunchRequest {
    std::string server;  // ADDRESS:PORT, already checked
    std::string executable;
    std::string parameters;
    std::optional<std::string> playerName;
    std::optional<std::string> password;
    std::optional<std::string> configFile;
};

struct QueryOptions {
    std::vector<std::string> servers;  // ADDRESS:PORT texts, already checked
    std::string serversFile;
    std::vector<std::string> masters;  // HOST[:PORT] texts, already checked
    double masterTimeoutSeconds = 5;
    bool list = false;  // print the gathered servers instead of refreshing them
    int timeoutSeconds = 2;
    int count = 1;
    int jobs = 0;          // 0: pick by the number of servers
    int mostSessions = 0;  // 0: the runner's own bound
    bool verbose = false;
    bool json = false;
    std::string pluginPath;  // empty: Tribes.vtplugin beside vtquery.exe
    std::optional<LaunchRequest> launch;
};

enum class CommandLineKind {
    Run,         // options are ready
    Help,        // text is the help or the version; exit 0
    UsageError,  // text says what is wrong and how to call; exit 2
};

struct CommandLine {
    CommandLineKind kind = CommandLineKind::Run;
    QueryOptions options;
    std::string text;
};

// Parses the arguments after the program name (UTF-8).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage lines printed after a usage error.
const char* UsageText();
