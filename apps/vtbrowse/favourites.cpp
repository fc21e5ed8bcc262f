#include "apps/vtbrowse/favourites.h"

#include <algorithm>

bool FavouriteNotListed(const ServerRow& row) {
    return row.favourite && !row.addedByHand && row.listedBy.empty();
}

std::wstring FavouriteText(const ServerRow& row) {
    if (!row.favourite) return L"";
    return FavouriteNotListed(row) ? L"\u2605 not listed" : L"\u2605";
}

bool ToggleFavourites(std::vector<ServerRow>& rows, const std::vector<ServerId>& ids) {
    const auto chosen = [&](const ServerRow& row) {
        return std::find(ids.begin(), ids.end(), row.id) != ids.end();
    };
    const bool allStarred = std::all_of(rows.begin(), rows.end(),
                                        [&](const ServerRow& row) { return !chosen(row) || row.favourite; });
    for (ServerRow& row : rows) {
        if (chosen(row)) row.favourite = !allStarred;
    }
    return !allStarred;
}

std::vector<ServerAddress> FavouriteAddresses(const std::vector<ServerRow>& rows) {
    std::vector<ServerAddress> addresses;
    for (const ServerRow& row : rows) {
        if (row.favourite) addresses.push_back(row.address);
    }
    return addresses;
}

void MarkFavourites(std::vector<ServerRow>& rows, const std::vector<ServerAddress>& addresses) {
    for (ServerRow& row : rows) {
        if (std::find(addresses.begin(), addresses.end(), row.address) != addresses.end())
            row.favourite = true;
    }
}
