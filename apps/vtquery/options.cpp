#include "apps/vtquery/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "apps/masters/master_outcome.h"
#include "apps/shared/product_version.h"
#include "apps/shared/server_list.h"
#include "apps/shared/usable_address.h"

namespace {

// Accepts ADDRESS:PORT of an address a server can have; the message of a refused text says what
// is wrong with it. Refused here, such an address is never pinged.
CLI::Validator ServerText() {
    return CLI::Validator(
        [](std::string& text) {
            ServerAddress server;
            ServerListError error;
            return ParseUsableServerAddress(text, server, error) ? std::string() : error.message;
        },
        "", "server");
}

// Accepts HOST or HOST:PORT, under the same rule: a request to a broadcast or multicast address
// would reach every host of the network.
CLI::Validator MasterText() {
    return CLI::Validator(
        [](std::string& text) {
            ServerAddress master;
            ServerListError error;
            return ParseMasterAddress(text, master, error) && CheckUsableServer(master, error)
                       ? std::string()
                       : error.message;
        },
        "", "master");
}

}  // namespace

const char* UsageText() {
    return "usage: vtquery [-v | --json] [--timeout S] [--count N] [-j N] [--sessions N]\n"
           "               [--plugin PATH] [--servers FILE] [--master HOST[:PORT] ...]\n"
           "               [--master-timeout S] [--list] [ADDRESS:PORT ...]\n"
           "       vtquery --launch ADDRESS:PORT --exe PATH [--params TEXT] [--name N] [--password P]\n"
           "               [--config F]\n"
           "run 'vtquery --help' for details\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    QueryOptions& options = result.options;
    LaunchRequest launch;

    CLI::App app{"Queries Tribes game servers through the Tribes.vtplugin server-browser plugin.", "vtquery"};
    app.add_option("servers", options.servers, "Servers to refresh")
        ->check(ServerText())
        ->type_name("ADDRESS:PORT");
    auto* file =
        app.add_option("--servers", options.serversFile, "File with one ADDRESS:PORT per line, # comments")
            ->type_name("FILE");
    app.add_option("--timeout", options.timeoutSeconds, "Time budget of one ping in seconds (default 2)")
        ->check(CLI::Range(0, 600))
        ->type_name("S");
    app.add_option("--count", options.count, "Ping each server N times in a row; report min/median/max")
        ->check(CLI::Range(1, 1000))
        ->type_name("N");
    app.add_option("-j,--jobs", options.jobs, "Worker threads that ping at the same time")
        ->check(CLI::Range(1, 256))
        ->type_name("N");
    app.add_option("--sessions", options.mostSessions,
                   "Sessions alive at once, at the most; longer lists go in batches (default 2000)")
        ->check(CLI::Range(1, 4000))
        ->type_name("N");
    auto* master = app.add_option("--master", options.masters,
                                  "Master server to get servers from (repeatable; port 28000 unless given)")
                       ->check(MasterText())
                       ->allow_extra_args(false)  // one master a --master: the servers come after
                       ->type_name("HOST[:PORT]");
    app.add_option("--master-timeout", options.masterTimeoutSeconds,
                   "Time one master's list may take in seconds (default 5)")
        ->check(CLI::Range(0.1, 600.0))
        ->type_name("S");
    auto* list = app.add_flag("--list", options.list,
                              "Print the servers as ADDRESS:PORT lines instead of refreshing them");
    auto* verbose =
        app.add_flag("-v,--verbose", options.verbose, "Also print each server's rules and players");
    auto* json = app.add_flag("--json", options.json, "Print one JSON document instead of text");
    app.add_option("--plugin", options.pluginPath, "The plugin to load (default: beside vtquery.exe)")
        ->type_name("PATH");
    auto* server = app.add_option("--launch", launch.server, "Start the game on this server")
                       ->check(ServerText())
                       ->type_name("ADDRESS:PORT");
    auto* exe = app.add_option("--exe", launch.executable, "The game's executable (with --launch)")
                    ->type_name("PATH");
    auto* params =
        app.add_option("--params", launch.parameters, "Extra game parameters; <address> is replaced")
            ->type_name("TEXT");
    auto* name = app.add_option("--name", launch.playerName, "Player name")->type_name("N");
    auto* password = app.add_option("--password", launch.password, "Server password")->type_name("P");
    auto* config =
        app.add_option("--config", launch.configFile, "Config file the game executes")->type_name("F");
    app.set_version_flag("--version", std::string("vtquery ") + ProductVersion(),
                         "Print the version and exit");
    verbose->excludes(json);
    list->excludes(verbose);
    server->needs(exe);
    for (CLI::Option* option : {exe, params, name, password, config}) option->needs(server);
    for (CLI::Option* option : {app.get_option("servers"), file, verbose, json, master, list})
        server->excludes(option);

    std::vector<const char*> argv{"vtquery"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        return CommandLine{CommandLineKind::Help, {}, app.help()};
    } catch (const CLI::CallForVersion& version) {
        return CommandLine{CommandLineKind::Help, {}, version.what() + std::string("\n")};
    } catch (const CLI::ParseError& error) {
        return CommandLine{
            CommandLineKind::UsageError, {}, std::string("vtquery: ") + error.what() + "\n" + UsageText()};
    }
    if (server->count() > 0) {
        options.launch = std::move(launch);
    } else if (options.servers.empty() && options.serversFile.empty() && options.masters.empty()) {
        return CommandLine{
            CommandLineKind::UsageError, {}, std::string("vtquery: no servers given\n") + UsageText()};
    }
    return result;
}
