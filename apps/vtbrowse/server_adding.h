// Servers the user lists: added by hand, read from a server list file (its usable addresses, each
// once) or brought back by the settings at start. Each step says in the log what it added; servers
// added while a refresh runs wait for the next one. Portable: tested natively.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/vtbrowse/server_table.h"
#include "apps/vtbrowse/settings_file.h"

class ServerAdding {
public:
    using Log = std::function<void(const std::wstring&)>;

    // table outlives this; refreshing says whether a refresh runs now.
    ServerAdding(ServerTable& table, Log log, std::function<bool()> refreshing);

    // Adds servers by hand (a server masters listed stays when they stop listing it); true when
    // rows were added.
    bool Add(const std::vector<ServerAddress>& servers);
    // Adds the servers of the list file at path; true when rows were added. An unreadable file or
    // an unusable line adds nothing.
    bool Import(const std::wstring& path);
    // The servers of settings and more (the command line's) by hand, then the rows the settings
    // keep beyond them: what the masters gave before and favourites no master lists any more.
    // True when rows were added.
    bool AddAtStart(BrowserSettings& settings, const std::vector<ServerAddress>& more);
    // What settings keep of the table's servers, for the next start: those added by hand, those
    // the masters listed and the favourites.
    void Keep(BrowserSettings& settings) const;

private:
    bool Listed(const AddedRows& added, const std::wstring& which);

    ServerTable& table_;
    Log log_;
    std::function<bool()> refreshing_;
};
