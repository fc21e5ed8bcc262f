#include "apps/vtbrowse/server_commands_win.h"

#include <utility>

#include "apps/vtbrowse/add_servers_dialog_win.h"
#include "apps/vtbrowse/browser_ids.h"

ServerCommands::ServerCommands(HWND owner, ServerTable& table, ServerListView& list, PluginPane& plugin,
                               QuickConnect& quick, VtHostWindow& host, Handlers handlers)
    : owner_(owner),
      table_(table),
      list_(list),
      plugin_(plugin),
      quick_(quick),
      host_(host),
      handlers_(std::move(handlers)),
      adding_(table, handlers_.log, [this] { return plugin_.Refreshing(); }) {}

bool ServerCommands::OnCommand(int id) {
    switch (id) {
        case IDC_ADD:
            Add(AskServers(owner_));
            return true;
        case IDC_IMPORT:
            if (const std::optional<std::wstring> path = AskServerListFile(owner_)) Import(*path);
            return true;
        case IDC_REMOVE:
            RemoveSelected();
            return true;
        case IDC_FAVOURITE:
            list_.ToggleFavourites();
            handlers_.listed();
            handlers_.save();
            return true;
        case IDC_REFRESH_SELECTED:
            plugin_.Refresh(list_.SelectedIds());
            return true;
        case IDC_HAND_BACK:
            if (plugin_.Side() && list_.FocusedId()) plugin_.Side()->HandBack(list_.FocusedId(), host_);
            return true;
        default:
            return false;
    }
}

void ServerCommands::Add(const std::vector<ServerAddress>& servers) {
    if (adding_.Add(servers)) handlers_.listed();
    handlers_.save();  // a server the masters listed may be one added by hand now
}

void ServerCommands::Import(const std::wstring& path) {
    if (adding_.Import(path)) handlers_.listed();
    handlers_.save();
}

void ServerCommands::QuickJoin(const ServerAddress& server) {
    Add({server});
    const ServerRow* row = table_.Find(server);
    if (row && plugin_.Side()) quick_.Await(row->id);
}

void ServerCommands::RemoveSelected() {
    const size_t removed = list_.RemoveSelected().size();
    if (removed == 0) return;
    handlers_.log(L"Removed " + Plural(removed, L"server", L"servers"));
    handlers_.listed();
    handlers_.removed();
    handlers_.save();
}
