// The settings file's text: a line that cannot be used is named and skipped, the rest kept.
#include "apps/vtbrowse/settings/settings_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::SizeIs;

TEST(SettingsText, UnusableLinesAreNamedAndSkippedTheRestKept) {
    BrowserSettings read;
    const std::vector<std::string> problems = ParseSettings(
        "# comment\r\nserver=127.0.0.1:1\r\nserver=nonsense\ntimeout=0\nautoRefresh=yes\nwindow=1,2,3\n"
        "no equals sign\noption=2 127.0.0.1:1\nsortColumn=colour\nfutureKey=1\nserver=[::1]:2\n"
        "columns=1,2,3,4,5,6\ncolumns=1,2,3,4,5,6,7,8\n",
        "settings.txt", read);
    EXPECT_THAT(problems, SizeIs(9));
    EXPECT_THAT(problems[0], HasSubstr("settings.txt:3: 'nonsense' has no port"));
    EXPECT_THAT(problems[1], HasSubstr("settings.txt:4: '0' is not a usable value for timeout"));
    EXPECT_THAT(problems[4], HasSubstr("settings.txt:7: expected key=value"));
    EXPECT_THAT(problems[5], HasSubstr("expected option=ID ADDRESS:PORT VALUE"));
    EXPECT_EQ(read.servers, (std::vector<ServerAddress>{{"127.0.0.1", 1}, {"::1", 2}}));
    EXPECT_EQ(read.timeoutSeconds, 2);
    EXPECT_THAT(read.otherLines, ElementsAre("futureKey=1"));  // a newer vtbrowse's: no problem
}

}  // namespace
