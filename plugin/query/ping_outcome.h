// The three ways a ping cycle ends, as written to the server's result record. Each writer makes
// its calls in one fixed order; the caller holds data's update bracket.
#pragma once

#include <string>

#include "common/contract/host_services.h"

// "12/32 players on Alpha": the counts as signed decimals, then the server's name.
std::wstring StatusLine(int playerCount, int maxPlayers, const std::wstring& serverName);

// A complete reply: name, map and counts from the reply, the status line as both status texts.
// The tables keep the rows the reply parser wrote.
void WriteSuccess(VtServerData& data, const std::wstring& serverName, const std::wstring& mapName,
                  int playerCount, int maxPlayers);

// No complete reply within the budget: tables emptied, "Timeout" everywhere, counts 0.
void WriteTimeout(VtServerData& data);

// A network failure: tables emptied, detail (the socket layer's description of its last
// error, or one of the texts below) as status detail, "Failed to Communicate" as name and
// status, counts 0.
void WriteFailure(VtServerData& data, const std::wstring& detail);

// Details of the failures no socket call reports, so they never show an unrelated stored error.
std::wstring NoNetworkWindowDetail();
std::wstring NoSemaphoreDetail();
std::wstring WaitFailedDetail(unsigned long systemError);
