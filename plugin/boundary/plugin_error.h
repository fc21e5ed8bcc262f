// The one report of work that an exception or fault from the host left: a ping, a command.
#pragma once

#include <string>

#include "common/contract/host_services.h"

// Reports through VtError, titled "Plugin Error": "A error occured in an unknown plugin while
// <activity> "<server>". This may cause a greater plugin crash." The report itself runs inside
// the error trap: a reporter that fails cannot take the caller down.
void ReportPluginError(const wchar_t* activity, const std::wstring& server);

// The server's label for such a report, read without the entry's lock; empty when the read
// itself fails.
std::wstring ServerLabel(VtServerEntry& entry);
