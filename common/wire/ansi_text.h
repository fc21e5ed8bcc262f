// 8-bit text of the ANSI code page to wide text. The code page is taken to be Windows-1252 on
// every build, through our own table, so native and Windows builds give the same characters.
#pragma once

#include <cstddef>
#include <string>

// The wide character that one Windows-1252 byte stands for. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the code point of the same value, as Windows does.
wchar_t AnsiCharToWide(unsigned char byte);

// The first count bytes as wide text, one character a byte; a zero byte ends the text early.
std::wstring AnsiToWide(const char* bytes, std::size_t count);

// The same into wide, replacing what it held; keeps its storage, so a text reused for many
// conversions stops allocating once it has held the longest.
void AssignAnsi(std::wstring& wide, const char* bytes, std::size_t count);

// Zero-terminated 8-bit text as wide text.
std::wstring AnsiToWide(const char* text);
