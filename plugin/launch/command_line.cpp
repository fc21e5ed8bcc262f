#include "plugin/launch/command_line.h"

#include <locale>
#include <sstream>
#include <string_view>

namespace {

constexpr std::wstring_view AddressPlaceholder = L"<address>";
constexpr std::wstring_view ConnectSwitch = L"+connect ";
constexpr LaunchOptionId CommandLineOptionOrder[] = {ConfigFile, PlayerName, Password};

// Appends piece after one blank, unless result is still empty.
void AppendPiece(std::wstring& result, std::wstring_view piece) {
    if (!result.empty()) result += L' ';
    result += piece;
}

}  // namespace

bool FormatPort(SessionRecord& session, std::wstring& text, error_trap::HostHolds& holds) {
    holds.Lock(*session.serverEntry);
    std::wostringstream digits;
    // The classic locale whatever the process's global one is: no digit grouping in a port.
    digits.imbue(std::locale::classic());
    digits << session.serverEntry->GetPort();
    holds.Unlock(*session.serverEntry);
    text = digits.str();
    return true;
}

void AppendLaunchOption(VtServerEntry& entry, std::wstring& optionText, LaunchOptionId id) {
    std::wstring value;
    if (entry.GetLaunchOption(id, value) != VT_OK || value.empty()) return;
    std::wstring option(LaunchOptionSwitch(id));
    option += L'"';
    option += value;  // as typed: a blank or quote inside stays part of the one value
    option += L'"';
    AppendPiece(optionText, option);
}

bool ComposeCommandLine(SessionRecord& session, std::wstring& result, error_trap::HostHolds& holds) {
    VtServerEntry& entry = *session.serverEntry;
    std::wstring port;
    std::wstring address;
    std::wstring parameters;
    std::wstring optionText;
    // The ping of this server reads the same entry on another thread. No guard object: a host
    // call that fails skips the Unlock, and the caller's holds give it back.
    holds.Lock(entry);
    FormatPort(session, port, holds);
    address = entry.GetAddress();
    parameters = entry.GetLaunchParameters();
    for (LaunchOptionId id : CommandLineOptionOrder) AppendLaunchOption(entry, optionText, id);
    holds.Unlock(entry);

    const std::wstring endpoint = address + L':' + port;
    // Only the first placeholder is replaced. A user who placed the address has said where it
    // goes, so the connect switch is left out.
    const std::size_t placeholder = parameters.find(AddressPlaceholder);
    const bool connectWanted = placeholder == std::wstring::npos;
    if (!connectWanted) parameters.replace(placeholder, AddressPlaceholder.size(), endpoint);

    result.clear();
    if (!optionText.empty()) AppendPiece(result, optionText);
    if (!parameters.empty()) AppendPiece(result, parameters);
    if (connectWanted) AppendPiece(result, std::wstring(ConnectSwitch) + endpoint);
    return true;
}
