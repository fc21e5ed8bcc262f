// What each ping outcome leaves in the host's record and tables, what no ping may still hold
// afterwards, and how long a ping may take.
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>

#include "tests/plugin/plugin_host_win.h"
#include "tools/tribes_emu/reply_builder.h"

namespace integration {

// TRIBES_LONG=1 in the environment selects the long variants of the load tests.
template <class Value>
Value ShortOrLong(Value shortValue, Value longValue) {
    const char* value = std::getenv("TRIBES_LONG");
    return value && std::string(value) == "1" ? longValue : shortValue;
}

// The longest a ping with budget seconds may take: the budget and one second, and slack for a
// machine that others share.
std::chrono::milliseconds PingLimit(int budgetSeconds);

// The record and tables as the complete reply of info leaves them: playerRows player rows from
// the reply's first players (all of them by default), after earlyPropertyRows property rows of
// an earlier datagram.
void ExpectReplyShown(const TestServer& server, const tribes_emu::ServerInfo& info,
                      std::size_t playerRows = ~std::size_t{0}, std::size_t earlyPropertyRows = 0);
// The record and tables as the timeout outcome leaves them.
void ExpectTimeoutShown(const TestServer& server);
// The same for the failure outcome.
void ExpectFailureShown(const TestServer& server);
// Whether journal follows transcript (lines separated by '|'), where the line "..." stands for
// any lines, "name(*)" for a call with any non-empty argument and "text*" for any line that
// starts with text.
bool Follows(const std::vector<std::wstring>& journal, const std::wstring& transcript);
// No ping holds anything: one reference each for the test and the session, no open lock or
// update bracket.
void ExpectNothingHeld(const TestServer& server);

}  // namespace integration
