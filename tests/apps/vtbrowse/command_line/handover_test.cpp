// What any program may send the open vtbrowse as a command line: only a whole document shaped as
// a later start makes it is taken.
#include "apps/vtbrowse/command_line/handover.h"

#include <gtest/gtest.h>

namespace {

// What any program may send the window: only a whole document shaped as PackHandover makes one is
// taken, and never more bytes than the bound are read.
TEST(Handover, DocumentsOfAnyOtherShapeAreRefused) {
    const std::string good = *PackHandover({"127.0.0.1:1"});
    std::string tooMany = R"({"vtbrowse":1,"arguments":[)";
    for (size_t i = 0; i < MostHandoverArguments; ++i) tooMany += R"("1",)";
    tooMany += R"("1"]})";
    std::string padded = good;  // whitespace after a document is still JSON
    padded.resize(MostHandoverBytes + 1, ' ');
    const std::pair<const char*, std::string> refused[] = {
        {"cut short", good.substr(0, good.size() - 1)},
        {"more after it", good + "{}"},
        {"another version", R"({"vtbrowse":2,"arguments":["127.0.0.1:1"]})"},
        {"no version", R"({"arguments":["127.0.0.1:1"]})"},
        {"a key more", R"({"vtbrowse":1,"arguments":[],"more":1})"},
        {"arguments not a list", R"({"vtbrowse":1,"arguments":"127.0.0.1:1"})"},
        {"an argument not text", R"({"vtbrowse":1,"arguments":[1]})"},
        {"a NUL in an argument", R"({"vtbrowse":1,"arguments":["a\u0000b"]})"},
        {"too many arguments", tooMany},
        {"larger than the bound", padded},
    };
    for (const auto& [what, document] : refused) {
        EXPECT_FALSE(ReadHandover(document.data(), document.size()).has_value()) << what;
    }
    EXPECT_FALSE(ReadHandover(nullptr, 10).has_value());
    EXPECT_TRUE(ReadHandover(padded.data(), MostHandoverBytes).has_value());
}

}  // namespace
