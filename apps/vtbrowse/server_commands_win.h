// The window's commands on its servers: add some (the dialog), import a list file, remove or make
// favourites of the selected ones, refresh them, pass the one in focus to the plugin and back, and
// list a server to join at once (quick connect). Adding is ServerAdding's; the window hears what
// changed the list, to show it and save.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/vtbrowse/plugin_pane_win.h"
#include "apps/vtbrowse/quick_connect_win.h"
#include "apps/vtbrowse/server_adding.h"
#include "apps/vtbrowse/server_list_view_win.h"
#include "common/contract/host_window.h"

class ServerCommands {
public:
    struct Handlers {
        std::function<void(const std::wstring&)> log;
        std::function<void()> listed;   // rows were added, or made favourites or not: show them
        std::function<void()> removed;  // rows were taken off
        std::function<void()> save;
    };

    // The dialogs belong to owner; everything given outlives this.
    ServerCommands(HWND owner, ServerTable& table, ServerListView& list, PluginPane& plugin,
                   QuickConnect& quick, VtHostWindow& host, Handlers handlers);

    // Carries out the command id; false when it is none of these.
    bool OnCommand(int id);
    void Add(const std::vector<ServerAddress>& servers);
    void Import(const std::wstring& path);
    // Lists server and has quick connect check it and join it.
    void QuickJoin(const ServerAddress& server);
    ServerAdding& Adding() { return adding_; }

private:
    void RemoveSelected();

    HWND owner_;
    ServerTable& table_;
    ServerListView& list_;
    PluginPane& plugin_;
    QuickConnect& quick_;
    VtHostWindow& host_;
    Handlers handlers_;
    ServerAdding adding_;
};
