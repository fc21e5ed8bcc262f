// Decisions about a server address text that need no resolver, shared by both platforms'
// KRNetUtil: a name that cannot resolve is turned down before anyone asks DNS.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text as 8-bit ASCII, or nothing when it is null or holds other characters (no host
// name or dotted address does).
std::optional<std::string> AsciiAddressText(const wchar_t* text);

// True for "localhost", which names this machine's loopback address without a lookup.
bool IsLoopbackName(std::string_view name);

// True when name is a well-formed host name worth a lookup: labels of letters, digits and
// inner hyphens, at most 63 bytes each and 253 in all, a last label that is not all digits
// (so "1.2.3" is never taken for a name), and not under the reserved domain "invalid".
bool IsResolvableHostName(std::string_view name);
