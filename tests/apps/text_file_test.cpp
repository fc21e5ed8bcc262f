// Text files as Windows tools write them: one server list and one settings file in each
// encoding, read by every reader of such files (a server list, for vtquery's --servers and
// vtbrowse's Import alike; vtbrowse's settings file). Each reads them alike, or refuses the file in
// one line that names it and the encodings read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "apps/shared/server_list.h"
#include "apps/vtbrowse/settings/settings_file.h"

namespace {

using ::testing::ElementsAre;

struct Text {
    std::string_view utf8;
    std::u16string_view utf16;
};
// Names beyond ASCII and beyond the basic plane, CRLF line ends as Notepad writes them; and what a
// list holds beside its servers: comments, blank lines, blanks around an address.
constexpr Text List{u8"# »TCB« servers\r\n\r\n  127.0.0.1:28001  # Zoë 😀\r\n\t[::1]:2\n#127.0.0.1:3\r\nx:4",
                    u"# »TCB« servers\r\n\r\n  127.0.0.1:28001  # Zoë 😀\r\n\t[::1]:2\n#127.0.0.1:3\r\nx:4"};
constexpr Text Settings{u8"server=127.0.0.1:28001\r\nfriend=»TCB« Zoë 😀\r\n",
                        u"server=127.0.0.1:28001\r\nfriend=»TCB« Zoë 😀\r\n"};

// The code units of text in two bytes each (little- or big-endian) or in one, a unit past highest
// as '?'.
std::string Units(std::u16string_view text, int bytes, bool bigEndian = false, char16_t highest = 0xFFFF) {
    std::string out;
    for (const char16_t unit : text) {
        const char16_t kept = unit > highest ? u'?' : unit;
        const char low = static_cast<char>(kept & 0xFF), high = static_cast<char>(kept >> 8);
        out += bytes == 1 || !bigEndian ? low : high;
        if (bytes == 2) out += bigEndian ? low : high;
    }
    return out;
}

TEST(TextFiles, EveryReaderReadsTheEncodingsWindowsWritesAndNamesTheOthers) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tribes-text-file-test";
    std::filesystem::create_directories(folder);
    const std::filesystem::path listPath = folder / "list.txt", settingsPath = folder / "settings.txt";
    const std::string encodings =
        " is not text in an encoding that is read: UTF-8 (with or without a byte-order mark) or UTF-16 "
        "with its byte-order mark (little- or big-endian)";
    const struct {
        const char* encoding;
        std::string (*encode)(Text);
        bool read;
    } cases[] = {
        {"UTF-8", [](Text t) { return std::string(t.utf8); }, true},
        {"UTF-8 with its mark", [](Text t) { return "\xEF\xBB\xBF" + std::string(t.utf8); }, true},
        {"UTF-16 LE with its mark", [](Text t) { return "\xFF\xFE" + Units(t.utf16, 2); }, true},
        {"UTF-16 BE with its mark", [](Text t) { return "\xFE\xFF" + Units(t.utf16, 2, true); }, true},
        {"UTF-16 without it (ASCII)", [](Text t) { return Units(t.utf16, 2, false, 0x7F); }, false},
        {"Windows-1252", [](Text t) { return Units(t.utf16, 1, false, 0xFF); }, false},
        {"UTF-16 of an odd length", [](Text t) { return "\xFF\xFE" + Units(t.utf16, 2) + "\n"; }, false},
        {"UTF-16 ending in half a pair",
         [](Text t) { return "\xFF\xFE" + Units(t.utf16.substr(0, t.utf16.find(u'\xD83D') + 1), 2); }, false},
        {"UTF-16 with a pair's second half alone",
         [](Text t) {
             return "\xFF\xFE" + Units(std::u16string(t.utf16).erase(t.utf16.find(u'\xD83D'), 1), 2);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encoding);
        std::ofstream(listPath, std::ios::binary) << c.encode(List);
        std::ofstream(settingsPath, std::ios::binary) << c.encode(Settings);
        const std::string listName = "the server list '" + listPath.u8string() + "'";
        std::vector<ServerAddress> servers;
        ServerListError error;
        EXPECT_EQ(ReadServerListFile(listPath.u8string(), servers, error), c.read);
        BrowserSettings settings;
        const std::vector<std::string> problems = LoadSettingsFile(settingsPath, settings);
        if (c.read) {
            EXPECT_THAT(servers, ElementsAre(ServerAddress{"127.0.0.1", 28001}, ServerAddress{"::1", 2},
                                             ServerAddress{"x", 4}));
            EXPECT_THAT(problems, ElementsAre());
            EXPECT_THAT(settings.servers, ElementsAre(ServerAddress{"127.0.0.1", 28001}));
            EXPECT_THAT(settings.friends, ElementsAre(L"»TCB« Zoë 😀"));
        } else {
            EXPECT_EQ(error.message, listName + encodings);
            const std::string settingsName = "the settings file '" + settingsPath.u8string() + "'";
            EXPECT_THAT(problems, ElementsAre(settingsName + encodings));
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
