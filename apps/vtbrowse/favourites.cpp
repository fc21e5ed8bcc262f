#include "apps/vtbrowse/favourites.h"

#include <algorithm>

std::wstring FavouriteText(const ServerRow& row) {
    if (!row.origin.favourite) return L"";
    return row.origin.notListed ? L"\u2605 not listed" : L"\u2605";
}

bool ToggleFavourites(std::vector<ServerRow>& rows, const std::vector<ServerId>& ids) {
    const auto chosen = [&](const ServerRow& row) {
        return std::find(ids.begin(), ids.end(), row.id) != ids.end();
    };
    const bool allStarred = std::all_of(
        rows.begin(), rows.end(), [&](const ServerRow& row) { return !chosen(row) || row.origin.favourite; });
    for (ServerRow& row : rows) {
        if (chosen(row)) row.origin.favourite = !allStarred;
    }
    return !allStarred;
}

std::vector<ServerAddress> FavouriteAddresses(const std::vector<ServerRow>& rows) {
    std::vector<ServerAddress> addresses;
    for (const ServerRow& row : rows) {
        if (row.origin.favourite) addresses.push_back(row.address);
    }
    return addresses;
}

AddedRows RestoreFavourites(std::vector<ServerRow>& rows, const std::vector<ServerAddress>& addresses,
                            ServerId& nextId) {
    AddedRows added;
    for (const ServerAddress& address : addresses) {
        const size_t before = added.size();
        ServerRow& row = RowFor(rows, address, nextId, added);
        // Appended: nothing else kept it, so no master lists it any more.
        if (added.size() > before) row.origin.notListed = true;
        row.origin.favourite = true;
    }
    return added;
}
