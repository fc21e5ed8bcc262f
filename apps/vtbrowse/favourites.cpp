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
    const bool allStarred = std::all_of(rows.begin(), rows.end(), [&](const ServerRow& row) {
        return !chosen(row) || row.origin.favourite;
    });
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

std::vector<std::pair<ServerId, ServerAddress>> RestoreFavourites(std::vector<ServerRow>& rows,
                                                                  const std::vector<ServerAddress>& addresses,
                                                                  ServerId& nextId) {
    std::vector<std::pair<ServerId, ServerAddress>> added;
    for (const ServerAddress& address : addresses) {
        auto row = std::find_if(rows.begin(), rows.end(), [&](const ServerRow& known) { return known.address == address; });
        if (row == rows.end()) {
            rows.emplace_back();
            row = rows.end() - 1;
            row->id = nextId++;
            row->address = address;
            row->origin.notListed = true;
            added.emplace_back(row->id, address);
        }
        row->origin.favourite = true;
    }
    return added;
}
