// Declares a server's two result tables to the host: names, captions, columns and widths.
#pragma once

#include "common/contract/host_services.h"

// Adds the players table ("UsersTable", named to the host as its user table) and the rules
// table ("PropertiesTable") to data, with their captions, columns and widths. Called once per
// session, inside data's update bracket; the host's results are not checked.
void LayOutResultTables(VtServerData& data);
