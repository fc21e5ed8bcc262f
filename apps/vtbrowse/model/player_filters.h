// The filters of the list: empty, full and silent servers hidden, a text in the name or map, and
// those players choose servers by: game type and mod, as the servers send them in the rules table the plugin
// fills; whether a password is needed; the ping under a bound; favourites only. They combine with each other
// and with the rest. A server that has not told (no answer yet, or no such rule) passes none of the filters
// that ask for what it did not tell. Portable: tested natively.
#pragma once

#include <string>
#include <string_view>

#include "apps/vtbrowse/model/server_rows.h"

// The rules' keys as the servers send them.
constexpr const wchar_t* GameTypeRule = L"game";
constexpr const wchar_t* ModRule = L"mods";
constexpr const wchar_t* PasswordRule = L"needpass";

// Whether row passes every filter of filter.
bool Passes(const ServerRow& row, const RowFilter& filter);

// The value of the rule named key in the row's last answer (the rules table, its first column
// the key); null when it did not answer or sent no such rule. It
// points into the row's answer: read it before the row changes. (Every row passes through the
// filters at each sort: no copy of a text for each.)
const std::wstring* RuleValue(const ServerRow& row, std::wstring_view key);
