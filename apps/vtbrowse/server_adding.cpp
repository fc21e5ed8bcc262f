#include "apps/vtbrowse/server_adding.h"

#include <utility>

#include "apps/shared/usable_address.h"
#include "apps/vtbrowse/refresh_tally.h"
#include "host/text/utf8_text.h"

ServerAdding::ServerAdding(ServerTable& table, Log log, std::function<bool()> refreshing)
    : table_(table), log_(std::move(log)), refreshing_(std::move(refreshing)) {}

bool ServerAdding::Add(const std::vector<ServerAddress>& servers) {
    const AddedRows added = table_.AddByHand(servers);
    if (added.empty()) return false;
    log_(L"Added " + Plural(added.size(), L"server", L"servers") +
         (refreshing_() ? L"; they are refreshed after the running refresh" : L""));
    return true;
}

bool ServerAdding::Import(const std::wstring& path) {
    std::vector<ServerAddress> servers;
    ServerListError error;
    if (!ReadServerListFile(Utf8FromWide(path), servers, error, ParseUsableServerAddress)) {
        log_(L"Nothing imported: " + WideFromUtf8(error.message));
        return false;
    }
    log_(L"Read " + Plural(servers.size(), L"server", L"servers") + L" from " + path);
    return Add(WithoutDuplicates(servers));
}

bool ServerAdding::AddAtStart(BrowserSettings& settings, const std::vector<ServerAddress>& more) {
    std::vector<ServerAddress> servers = std::exchange(settings.servers, {});
    servers.insert(servers.end(), more.begin(), more.end());
    const bool added = Add(servers);
    const bool listed =
        Listed(table_.RestoreListed(std::exchange(settings.listed, {})), L" the masters gave before");
    return Listed(table_.RestoreFavourites(settings.favourites),
                  L" of favourites no master lists any more") ||
           added || listed;
}

void ServerAdding::Keep(BrowserSettings& settings) const {
    table_.StoreOrigins(settings.servers, settings.listed);
    settings.favourites = table_.FavouriteAddresses();
}

bool ServerAdding::Listed(const AddedRows& added, const std::wstring& which) {
    if (added.empty()) return false;
    log_(L"Listed " + Plural(added.size(), L"server", L"servers") + which);
    return true;
}
