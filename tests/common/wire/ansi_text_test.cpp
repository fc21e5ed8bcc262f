#include "common/wire/ansi_text.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiText, BytesMapAsWindows1252) {
    struct Case {
        unsigned char byte;
        wchar_t wide;
    } const cases[] = {{0x01, 0x0001}, {'A', L'A'},    {0x7F, 0x007F}, {0x80, 0x20AC}, {0x82, 0x201A},
                       {0x83, 0x0192}, {0x8A, 0x0160}, {0x8C, 0x0152}, {0x8E, 0x017D}, {0x92, 0x2019},
                       {0x96, 0x2013}, {0x99, 0x2122}, {0x9C, 0x0153}, {0x9F, 0x0178}, {0xA0, 0x00A0},
                       {0xE9, 0x00E9}, {0xFF, 0x00FF}};
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<int>(AnsiCharToWide(c.byte)), static_cast<int>(c.wide))
            << std::hex << int(c.byte);
    }
    // Undefined in the code page: kept as the code point of the same value.
    for (unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(static_cast<int>(AnsiCharToWide(byte)), byte);
}

TEST(AnsiText, TextEndsAtCountOrZeroByte) {
    EXPECT_EQ(AnsiToWide("Caf\xE9 \x80", 6), L"Caf\u00E9 \u20AC");
    EXPECT_EQ(AnsiToWide("Alpha", 3), L"Alp");
    EXPECT_EQ(AnsiToWide("Al\0pha", 6), L"Al");
    EXPECT_EQ(AnsiToWide("", 0), L"");
    EXPECT_EQ(AnsiToWide("Servers\\\x93x\x94"), L"Servers\\\u201Cx\u201D");
}

}  // namespace
