#include "apps/vtbrowse/dialogs/window_commands_win.h"

#include <filesystem>
#include <optional>
#include <utility>

#include "apps/vtbrowse/dialogs/about_dialog_win.h"
#include "apps/vtbrowse/dialogs/add_servers_dialog_win.h"
#include "apps/vtbrowse/dialogs/masters_dialog_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"

WindowCommands::WindowCommands(HWND window, PartRoutes& routes, BrowserModel& model, std::wstring pluginPath)
    : window_(window), model_(model), pluginPath_(std::move(pluginPath)), find_(window, model) {
    AddAboutItem(window);
    using Routes = PartRoutes;
    routed_ = routes.Take({
        Routes::Command(IDC_ADD, [this] { Add(); }),
        Routes::Command(IDC_IMPORT, [this] { Import(); }),
        Routes::Command(IDC_REFRESH, [this] { model_.RefreshAll(); }),
        Routes::Command(IDCANCEL, [this] { model_.Cancel(); }),
        Routes::Command(IDC_FIND, [this] { find_.Open(); }),
        Routes::Command(IDC_GET_MASTERS, [this] { model_.GetFromMasters(); }),
        Routes::Command(IDC_MASTERS, [this] { ChooseMasters(); }),
        Routes::SystemCommand(AboutCommand, [this] { ShowAboutBox(window_, pluginPath_); }),
    });
}

void WindowCommands::Add() {
    model_.Add(AskServers(window_));
}

void WindowCommands::Import() {
    if (const std::optional<std::wstring> path = AskServerListFile(window_))
        model_.Import(std::filesystem::path(*path));
}

void WindowCommands::ChooseMasters() {
    MasterChoice choice = model_.Masters();
    if (AskMasters(window_, choice)) model_.SetMasters(choice);
}
