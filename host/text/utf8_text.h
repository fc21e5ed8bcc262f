// Conversion between wide text (the host objects', the system's) and UTF-8 (what the host
// programs print, parse and keep). wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are handled.
#pragma once

#include <string>
#include <string_view>

// Invalid or unpaired code units become U+FFFD rather than being dropped.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

// Whether text is well-formed UTF-8: no overlong form, surrogate or code point past U+10FFFF.
bool IsUtf8(std::string_view text);
// Appends code in UTF-8 (U+FFFD for a surrogate or a value past U+10FFFF).
void AppendUtf8(std::string& out, char32_t code);

// Number of code points: the width that aligned text columns count in.
size_t DisplayWidth(std::string_view utf8);
