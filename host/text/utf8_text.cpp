#include "host/text/utf8_text.h"

namespace {

constexpr char32_t Replacement = 0xFFFD;
// What NextUtf8 gives for bytes that are no code point: replaced or refused by its callers.
constexpr char32_t Invalid = 0xFFFFFFFF;

}  // namespace

void AppendUtf8(std::string& out, char32_t code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = Replacement;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

namespace {

void AppendWide(std::wstring& out, char32_t code) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (code >> 10));
            out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(code);
}

// Decodes one code point at position, or Invalid; advances position past it (at least one byte).
char32_t NextUtf8(std::string_view text, size_t& position) {
    const auto lead = static_cast<unsigned char>(text[position++]);
    if (lead < 0x80) return lead;
    int trail = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (trail < 0 || lead < 0xC2 || lead > 0xF4) return Invalid;  // C0, C1: always overlong
    char32_t code = lead & (0x3F >> trail);
    for (int i = 0; i < trail; ++i) {
        if (position >= text.size()) return Invalid;
        const auto next = static_cast<unsigned char>(text[position]);
        if ((next & 0xC0) != 0x80) return Invalid;
        code = (code << 6) | (next & 0x3F);
        ++position;
    }
    static constexpr char32_t Smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < Smallest[trail] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return Invalid;
    return code;
}

}  // namespace

std::string Utf8FromWide(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            code &= 0xFFFF;
            if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
                const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    size_t position = 0;
    while (position < text.size()) {
        const char32_t code = NextUtf8(text, position);
        AppendWide(out, code == Invalid ? Replacement : code);
    }
    return out;
}

bool IsUtf8(std::string_view text) {
    size_t position = 0;
    while (position < text.size()) {
        if (NextUtf8(text, position) == Invalid) return false;
    }
    return true;
}

size_t DisplayWidth(std::string_view utf8) {
    size_t width = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}
