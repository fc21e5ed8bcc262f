// Text files as Windows tools write them: one server list and one settings file in each
// encoding, read by every reader of such files (a server list, for vtquery's --servers and
// vtbrowse's Import; vtbrowse's settings file). Each reads them alike, or refuses the file in
// one line that names it and the encodings read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "apps/vtbrowse/server_adding.h"
#include "apps/vtbrowse/settings_file.h"
#include "host/text/utf8_text.h"

namespace {

using ::testing::ElementsAre;

// Names beyond ASCII and beyond the basic plane, CRLF line ends: as Notepad writes them.
constexpr std::string_view ListUtf8 = u8"# »TCB« servers\r\n127.0.0.1:28001\r\n[::1]:28002 # Zoë 😀\r\n";
constexpr std::u16string_view ListUtf16 = u"# »TCB« servers\r\n127.0.0.1:28001\r\n[::1]:28002 # Zoë 😀\r\n";
constexpr std::string_view SettingsUtf8 = u8"server=127.0.0.1:28001\r\nfriend=»TCB« Zoë 😀\r\n";
constexpr std::u16string_view SettingsUtf16 = u"server=127.0.0.1:28001\r\nfriend=»TCB« Zoë 😀\r\n";

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// The text with every unit past last as '?'.
std::u16string Within(std::u16string_view text, char16_t last) {
    std::u16string within(text);
    for (char16_t& unit : within) unit = unit > last ? u'?' : unit;
    return within;
}

enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Utf16NoBom, Cp1252, OddLength, HalfPair };

std::string Encoded(Encoding encoding, std::string_view utf8, std::u16string_view utf16) {
    switch (encoding) {
        case Encoding::Utf8:
            return std::string(utf8);
        case Encoding::Utf8Bom:
            return "\xEF\xBB\xBF" + std::string(utf8);
        case Encoding::Utf16Le:
            return "\xFF\xFE" + Utf16Bytes(utf16, false);
        case Encoding::Utf16Be:
            return "\xFE\xFF" + Utf16Bytes(utf16, true);
        // Its letters ASCII, only its zero bytes tell it from UTF-8.
        case Encoding::Utf16NoBom:
            return Utf16Bytes(Within(utf16, 0x7F), false);
        case Encoding::Cp1252: {  // the same letters, one byte each: no UTF-8
            const std::u16string narrow = Within(utf16, 0xFF);
            return std::string(narrow.begin(), narrow.end());
        }
        case Encoding::OddLength:
            return "\xFF\xFE" + Utf16Bytes(utf16, false) + "\n";
        case Encoding::HalfPair:
            return "\xFE\xFF" + Utf16Bytes(utf16.substr(0, utf16.rfind(u'\xDE00')), true);
    }
    return {};
}

TEST(TextFiles, EveryReaderReadsTheEncodingsWindowsWritesAndNamesTheOthers) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tribes-text-file-test";
    std::filesystem::create_directories(folder);
    const std::filesystem::path listPath = folder / "list.txt", settingsPath = folder / "settings.txt";
    const std::string encodings =
        " is not text in an encoding that is read: UTF-8 (with or without a byte-order mark) or UTF-16 "
        "with its byte-order mark (little- or big-endian)";
    const struct {
        Encoding encoding;
        bool read;
    } cases[] = {
        {Encoding::Utf8, true},       {Encoding::Utf8Bom, true},     {Encoding::Utf16Le, true},
        {Encoding::Utf16Be, true},    {Encoding::Utf16NoBom, false}, {Encoding::Cp1252, false},
        {Encoding::OddLength, false}, {Encoding::HalfPair, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.encoding));
        std::ofstream(listPath, std::ios::binary) << Encoded(c.encoding, ListUtf8, ListUtf16);
        std::ofstream(settingsPath, std::ios::binary) << Encoded(c.encoding, SettingsUtf8, SettingsUtf16);
        const std::string listName = "the server list '" + listPath.u8string() + "'";

        std::vector<ServerAddress> servers;
        ServerListError error;
        EXPECT_EQ(ReadServerListFile(listPath.u8string(), servers, error), c.read);
        ServerTable table;
        std::vector<std::wstring> log;
        const auto logLine = [&](const std::wstring& line) { log.push_back(line); };
        ServerAdding(table, logLine, [] { return false; }).Import(listPath.wstring());
        BrowserSettings settings;
        const std::vector<std::string> problems = LoadSettingsFile(settingsPath, settings);
        if (c.read) {
            EXPECT_THAT(servers, ElementsAre(ServerAddress{"127.0.0.1", 28001}, ServerAddress{"::1", 28002}));
            EXPECT_EQ(table.Size(), 2u);
            EXPECT_THAT(problems, ElementsAre());
            EXPECT_THAT(settings.servers, ElementsAre(ServerAddress{"127.0.0.1", 28001}));
            EXPECT_THAT(settings.friends, ElementsAre(L"»TCB« Zoë 😀"));
        } else {
            EXPECT_EQ(error.message, listName + encodings);
            EXPECT_THAT(log, ElementsAre(L"Nothing imported: " + WideFromUtf8(listName + encodings)));
            const std::string settingsName = "the settings file '" + settingsPath.u8string() + "'";
            EXPECT_THAT(problems, ElementsAre(settingsName + encodings));
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
