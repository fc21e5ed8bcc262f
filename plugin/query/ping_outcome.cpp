#include "plugin/query/ping_outcome.h"

#include "plugin/query/table_names.h"

namespace {

constexpr const wchar_t* TimeoutText = L"Timeout";
constexpr const wchar_t* FailureText = L"Failed to Communicate";

// The part timeout and failure share after their first status write.
void WriteNoResponse(VtServerData& data, const std::wstring& detail, const wchar_t* text) {
    data.SetStatusDetail(detail);
    data.SetServerName(text);
    data.SetMapName(std::wstring());
    data.SetMaxPlayers(0);
    data.SetPlayerCount(0);
    data.RecordNoResponse();
    data.SetStatusText(text);
}

}  // namespace

std::wstring StatusLine(int playerCount, int maxPlayers, const std::wstring& serverName) {
    return std::to_wstring(playerCount) + L"/" + std::to_wstring(maxPlayers) + L" players on " + serverName;
}

void WriteSuccess(VtServerData& data, const std::wstring& serverName, const std::wstring& mapName,
                  int playerCount, int maxPlayers) {
    const std::wstring status = StatusLine(playerCount, maxPlayers, serverName);
    data.SetStatusDetail(status);
    data.SetServerName(serverName);
    data.SetMapName(mapName);
    data.SetMaxPlayers(maxPlayers);
    data.SetPlayerCount(playerCount);
    data.RecordPlayerCount(playerCount);
    data.SetStatusText(status);
}

void WriteTimeout(VtServerData& data) {
    data.ClearTable(UsersTable);
    data.ClearTable(PropertiesTable);
    WriteNoResponse(data, TimeoutText, TimeoutText);
}

void WriteFailure(VtServerData& data, const std::wstring& detail) {
    data.ClearTable(UsersTable);
    data.ClearTable(PropertiesTable);
    WriteNoResponse(data, detail, FailureText);
}

std::wstring NoNetworkWindowDetail() {
    return L"No network window: the plugin could not create this server's window";
}

std::wstring NoSemaphoreDetail() {
    return L"No network: the socket layer did not start for this server's window";
}

std::wstring WaitFailedDetail(unsigned long systemError) {
    return L"Waiting for the server's reply failed (system error " + std::to_wstring(systemError) + L")";
}
