// Favourites: servers the user starred. A favourite stays in the list whatever the masters list
// (their merge leaves it), is pinged with the rest, and says so when it came from a master and
// no master lists it any more. Portable: tested natively.
#pragma once

#include <string>
#include <vector>

#include "apps/vtbrowse/server_rows.h"

// Whether row is a favourite that a master brought and no master's latest list holds.
bool FavouriteNotListed(const ServerRow& row);
// The favourite column's cell: a star, "not listed" beside it for FavouriteNotListed.
std::wstring FavouriteText(const ServerRow& row);

// Stars the rows of ids, or takes their stars off when all of them have one; whether they are
// favourites now.
bool ToggleFavourites(std::vector<ServerRow>& rows, const std::vector<ServerId>& ids);
// The addresses of the favourites, in the rows' order.
std::vector<ServerAddress> FavouriteAddresses(const std::vector<ServerRow>& rows);
// Stars the rows whose address is among addresses.
void MarkFavourites(std::vector<ServerRow>& rows, const std::vector<ServerAddress>& addresses);
