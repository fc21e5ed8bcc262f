#include "apps/vtbrowse/command_line/browse_options.h"

#include <CLI/CLI.hpp>
#include <map>

#include "apps/shared/usable_address.h"
#include "host/text/utf8_text.h"

namespace {

// The options that name a file, and those that take a value besides.
bool NamesFile(const std::string& option) {
    return option == "--servers" || option == "--settings" || option == "--plugin";
}

bool TakesValue(const std::string& option) {
    return NamesFile(option) || option == "--most-sessions" || option == "--select" || option == "--join";
}

bool ParseCount(const std::string& text, size_t& count) {
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    count = std::stoul(text);
    return count > 0;
}

// A server the user named, or the problem with it (prefixed by the option that named it).
void TakeServer(const std::string& text, const std::string& option, std::optional<ServerAddress>& into,
                std::vector<std::string>& problems) {
    ServerAddress server;
    ServerListError error;
    if (ParseUsableServerAddress(text, server, error)) {
        into = server;
    } else {
        problems.push_back(option.empty() ? error.message : option + ": " + error.message);
    }
}

}  // namespace

BrowseOptions ParseBrowseOptions(const std::vector<std::string>& arguments) {
    BrowseOptions options;
    std::vector<std::string> problems;
    std::vector<std::string> given = arguments;
    // CLI11 refuses a whole command line whose last option lacks its value; the rest is taken.
    std::string unfinished;
    if (!given.empty() && TakesValue(given.back())) {
        unfinished = given.back() + " needs a value; " + BrowseUsage;
        given.pop_back();
    }
    CLI::App app{"vtbrowse", "vtbrowse"};
    app.set_help_flag();
    app.allow_extras();
    std::vector<std::string> values;  // bound for CLI11; each option's values are read from its results
    const CLI::Option* servers = app.add_option("servers", values);
    std::map<std::string, const CLI::Option*> named;
    for (const char* name : {"--servers", "--settings", "--plugin", "--most-sessions", "--select", "--join"})
        named[name] = app.add_option(name, values)->allow_extra_args(false);
    try {
        app.parse(std::vector<std::string>(given.rbegin(), given.rend()));
    } catch (const CLI::ParseError& error) {
        problems.push_back(error.what() + std::string("; ") + BrowseUsage);
    }
    // Each value in the order given: a problem is said where the user wrote it; a later value of a
    // setting replaces an earlier one.
    std::map<const CLI::Option*, size_t> taken;
    for (const CLI::Option* option : app.parse_order()) {
        const std::string& value = option->results().at(taken[option]++);
        if (option == servers) {
            std::optional<ServerAddress> server;
            TakeServer(value, "", server, problems);
            if (server) options.servers.push_back(*server);
        } else if (option == named["--servers"]) {
            options.serverFiles.push_back(std::filesystem::u8path(value));
        } else if (option == named["--settings"]) {
            options.settingsPath = value;
        } else if (option == named["--plugin"]) {
            options.pluginPath = value;
        } else if (option == named["--most-sessions"]) {
            if (!ParseCount(value, options.mostSessions))
                problems.push_back("--most-sessions takes a whole number from 1 up, not '" + value + "'");
        } else {
            const bool join = option == named["--join"];
            TakeServer(value, join ? "--join" : "--select", join ? options.join : options.select, problems);
        }
    }
    for (const std::string& extra : app.remaining())
        problems.push_back("unknown option '" + extra + "'; " + BrowseUsage);
    if (!unfinished.empty()) problems.push_back(unfinished);
    // Said in the window's log or a box: in the window's encoding from here on.
    for (const std::string& problem : problems) options.problems.push_back(WideFromUtf8(problem));
    return options;
}

std::vector<std::string> WithFullPaths(std::vector<std::string> arguments,
                                       const std::function<std::string(const std::string&)>& full) {
    for (size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (NamesFile(arguments[i])) arguments[i + 1] = full(arguments[i + 1]);
        // A value is skipped: one that names no file is no path, whatever it looks like.
        if (TakesValue(arguments[i])) ++i;
    }
    return arguments;
}
