// The game's argument text for one server: the launch options, the user's parameters with the
// server's address put in, and the connect switch.
#pragma once

#include <string>

#include "common/contract/session_record.h"
#include "plugin/error_trap/host_holds.h"
#include "plugin/launch/launch_options.h"

// Overwrites result with the argument text for session's server and returns true (it cannot
// fail). Reads the server entry under its lock, recorded in holds while held; callers may
// already hold that lock.
bool ComposeCommandLine(SessionRecord& session, std::wstring& result, error_trap::HostHolds& holds);

// Appends id's switch and quoted value to optionText, after a blank if optionText is not empty,
// when the host holds a non-empty value for id; otherwise leaves optionText as it is.
void AppendLaunchOption(VtServerEntry& entry, std::wstring& optionText, LaunchOptionId id);

// Sets text to the session's port in decimal (e.g. "28001", "-5"), read under the entry's lock,
// and returns true.
bool FormatPort(SessionRecord& session, std::wstring& text, error_trap::HostHolds& holds);
