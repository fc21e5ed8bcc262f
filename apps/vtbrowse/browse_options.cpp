#include "apps/vtbrowse/browse_options.h"

#include "apps/shared/usable_address.h"

namespace {

bool NamesFile(const std::string& option) {
    return option == "--servers" || option == "--settings" || option == "--plugin";
}

bool TakesValue(const std::string& option) {
    return NamesFile(option) || option == "--most-sessions" || option == "--select" || option == "--join";
}

bool ParseCount(const std::string& text, size_t& count) {
    if (text.empty() || text.size() > 7) return false;
    size_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<size_t>(c - '0');
    }
    if (value == 0) return false;
    count = value;
    return true;
}

}  // namespace

BrowseOptions ParseBrowseOptions(const std::vector<std::string>& arguments) {
    BrowseOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (TakesValue(argument) && i + 1 == arguments.size()) {
            options.problems.push_back(argument + " needs a value; " + BrowseUsage);
            break;
        }
        if (argument == "--servers") {
            options.serverFiles.push_back(arguments[++i]);
        } else if (argument == "--settings") {
            options.settingsPath = arguments[++i];
        } else if (argument == "--plugin") {
            options.pluginPath = arguments[++i];
        } else if (argument == "--most-sessions") {
            if (!ParseCount(arguments[++i], options.mostSessions)) {
                options.problems.push_back("--most-sessions takes a whole number from 1 up, not '" +
                                           arguments[i] + "'");
            }
        } else if (argument == "--select" || argument == "--join") {
            ServerAddress server;
            ServerListError error;
            if (!ParseUsableServerAddress(arguments[++i], server, error)) {
                options.problems.push_back(argument + ": " + error.message);
            } else {
                (argument == "--join" ? options.join : options.select) = server;
            }
        } else if (argument.rfind("--", 0) == 0) {
            options.problems.push_back("unknown option '" + argument + "'; " + BrowseUsage);
        } else {
            ServerAddress server;
            ServerListError error;
            if (ParseUsableServerAddress(argument, server, error)) {
                options.servers.push_back(server);
            } else {
                options.problems.push_back(error.message);
            }
        }
    }
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
