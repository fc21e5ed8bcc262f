#include "common/wire/ansi_text.h"

#include <array>
#include <cstring>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; there it holds typographic marks and a
// few letters. Undefined bytes keep their own value.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

constexpr std::array<char16_t, 256> BuildWindows1252() {
    std::array<char16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        table[byte] = (byte >= 0x80 && byte < 0xA0) ? Windows1252High[byte - 0x80] : char16_t(byte);
    }
    return table;
}

constexpr std::array<char16_t, 256> Windows1252 = BuildWindows1252();

}  // namespace

wchar_t AnsiCharToWide(unsigned char byte) {
    return static_cast<wchar_t>(Windows1252[byte]);
}

std::wstring AnsiToWide(const char* bytes, std::size_t count) {
    std::wstring wide;
    AssignAnsi(wide, bytes, count);
    return wide;
}

void AssignAnsi(std::wstring& wide, const char* bytes, std::size_t count) {
    if (const void* zero = count ? std::memchr(bytes, '\0', count) : nullptr) {
        count = static_cast<std::size_t>(static_cast<const char*>(zero) - bytes);
    }
    wide.resize(count);
    wchar_t* out = &wide[0];
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<wchar_t>(Windows1252[static_cast<unsigned char>(bytes[i])]);
    }
}

std::wstring AnsiToWide(const char* text) {
    return AnsiToWide(text, std::strlen(text));
}
