// Favourites: servers the user starred. A favourite stays in the list whatever the masters list
// (their merge leaves it, marked notListed), is pinged with the rest, and says so when it came
// from a master and no master lists it any more. Portable: tested natively.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "apps/vtbrowse/server_rows.h"

// The favourite column's cell: a star, "not listed" beside it when no master lists it any more.
std::wstring FavouriteText(const ServerRow& row);

// Stars the rows of ids, or takes their stars off when all of them have one; whether they are
// favourites now.
bool ToggleFavourites(std::vector<ServerRow>& rows, const std::vector<ServerId>& ids);
// The addresses of the favourites, in the rows' order.
std::vector<ServerAddress> FavouriteAddresses(const std::vector<ServerRow>& rows);
// The favourites of the settings file, back on the list: rows already listed are starred; the
// others (favourites no master lists any more, which nothing else keeps) are appended, starred
// and marked notListed, with ids from nextId on, and returned.
AddedRows RestoreFavourites(std::vector<ServerRow>& rows, const std::vector<ServerAddress>& addresses,
                            ServerId& nextId);
