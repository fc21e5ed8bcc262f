#include "apps/vtbrowse/joining_win.h"

#include <chrono>

#include "apps/vtbrowse/join_dialog_win.h"

Joining::Joining(HWND owner, const ServerTable& table, BrowserSettings& settings, const PluginPane& plugin,
                 SeatWatchBar& seats, QuickConnect& quick, Handlers handlers)
    : owner_(owner),
      table_(table),
      settings_(settings),
      plugin_(plugin),
      seats_(seats),
      quick_(quick),
      handlers_(std::move(handlers)) {}

void Joining::Join(ServerId id, bool waitForSeat) {
    const ServerRow* row = table_.Find(id);
    if (!row)
        return handlers_.hint(waitForSeat ? L"Select the full server to wait for first"
                                          : L"Select the server to join first");
    if (!plugin_.Side())
        return handlers_.log(L"Cannot join: Tribes.vtplugin could not be loaded (see above)");
    if (!AskJoinKept(owner_, *row, settings_, waitForSeat)) return;
    handlers_.save();
    if (!waitForSeat) return Launch(id);
    seats_.Start(id, SeatWatchPlan{std::chrono::seconds(settings_.seatWatchSeconds),
                                   std::chrono::minutes(settings_.seatWatchGiveUpMinutes)});
}

void Joining::Launch(ServerId id) {
    const ServerRow* row = table_.Find(id);
    if (row && plugin_.Side())
        plugin_.Side()->Join(id, settings_.join, settings_.optionValues[row->address.Text()]);
}

ServerId Joining::ChecksEnded(const std::vector<std::pair<ServerId, bool>>& checks) {
    ServerId joinNow = 0;
    for (const auto& [server, answered] : checks) {
        if (!answered) seats_.CheckFailed(server);
        if (quick_.Arrived(server)) joinNow = server;
    }
    return joinNow;
}
