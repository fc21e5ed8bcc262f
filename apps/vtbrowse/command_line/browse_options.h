// vtbrowse's command line: servers to add and refresh at start, and where things are. The same
// parser reads a start's command line and one a later start hands over.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apps/shared/server_address.h"

struct BrowseOptions {
    std::vector<ServerAddress> servers;  // from the command line, then from --servers files
    std::vector<std::filesystem::path> serverFiles;
    std::string settingsPath;             // empty: the user's application data folder
    std::string pluginPath;               // empty: Tribes.vtplugin beside vtbrowse.exe
    size_t mostSessions = 0;              // 0: the runner's own bound on sessions alive at once
    std::optional<ServerAddress> select;  // the server selected once listed
    std::optional<ServerAddress> join;    // added if need be, refreshed, and the join dialog opened
    // What cannot be used, one message each, in the order given; the window opens anyway and
    // shows them in its log.
    std::vector<std::wstring> problems;
};

// Parses the arguments after the program name (UTF-8); the problems come out as the window
// shows them. Server list files are read later, by the window, which reports what they hold that
// is not usable.
BrowseOptions ParseBrowseOptions(const std::vector<std::string>& arguments);

// arguments with the file paths they name (--servers, --settings, --plugin) made full by full: a
// command line handed to the vtbrowse already open means the files the user meant where they
// started it.
std::vector<std::string> WithFullPaths(std::vector<std::string> arguments,
                                       const std::function<std::string(const std::string&)>& full);

constexpr const char* BrowseUsage =
    "usage: vtbrowse [--servers FILE] [--settings FILE] [--plugin PATH] [--most-sessions N] [--select "
    "ADDRESS:PORT] "
    "[--join ADDRESS:PORT] [ADDRESS:PORT ...]";
