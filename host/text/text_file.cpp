#include "host/text/text_file.h"

#include <fstream>
#include <iterator>

#include "host/text/utf8_text.h"

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LittleMark = "\xFF\xFE";
constexpr std::string_view Utf16BigMark = "\xFE\xFF";

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// UTF-16 after its mark, in UTF-8; nullopt for an odd length or a surrogate without its pair.
std::optional<std::string> FromUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    const auto unit = [&](size_t index) {
        const auto first = static_cast<unsigned char>(bytes[index * 2]);
        const auto second = static_cast<unsigned char>(bytes[index * 2 + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    const size_t units = bytes.size() / 2;
    std::string text;
    text.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        char32_t code = unit(i);
        if (code >= 0xDC00 && code <= 0xDFFF) return std::nullopt;
        if (code >= 0xD800 && code <= 0xDBFF) {
            const char32_t low = i + 1 < units ? unit(i + 1) : 0;
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        AppendUtf8(text, code);
    }
    return text;
}

}  // namespace

std::optional<std::string> DecodeTextFile(std::string_view bytes) {
    std::optional<std::string> text;
    if (StartsWith(bytes, Utf16LittleMark)) {
        text = FromUtf16(bytes.substr(Utf16LittleMark.size()), false);
    } else if (StartsWith(bytes, Utf16BigMark)) {
        text = FromUtf16(bytes.substr(Utf16BigMark.size()), true);
    } else {
        if (StartsWith(bytes, Utf8Mark)) bytes.remove_prefix(Utf8Mark.size());
        if (IsUtf8(bytes)) text = std::string(bytes);
    }
    if (text && text->find('\0') != std::string::npos) return std::nullopt;
    return text;
}

TextFileRead ReadTextFile(const std::filesystem::path& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return TextFileRead::CannotOpen;
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return TextFileRead::CannotOpen;
    std::optional<std::string> decoded = DecodeTextFile(bytes);
    if (!decoded) return TextFileRead::NotText;
    text = std::move(*decoded);
    return TextFileRead::Read;
}

std::string NotTextMessage(std::string_view file) {
    return std::string(file) +
           " is not text in an encoding that is read: UTF-8 (with or without a byte-order mark) or UTF-16 "
           "with its byte-order mark (little- or big-endian)";
}
