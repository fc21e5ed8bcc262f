#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "common/contract/host_services.h"

namespace {

// Every case is settled without a lookup: numeric, loopback, or a name no resolver is asked about.
TEST(KRNetAddress, ResolvesNumericAndLoopbackAndTurnsDownBadNames) {
    const struct {
        const wchar_t* text;
        std::uint8_t bytes[4];  // the address as it lies in memory: network byte order
    } resolved[] = {{L"127.0.0.1", {127, 0, 0, 1}},
                    {L"10.200.3.45", {10, 200, 3, 45}},
                    {L"localhost", {127, 0, 0, 1}},
                    {L"LocalHost", {127, 0, 0, 1}}};
    for (const auto& c : resolved) {
        std::uint32_t address = 0;
        ASSERT_EQ(KRNetUtil::getServerFromString(c.text, address), VT_OK);
        EXPECT_EQ(std::memcmp(&address, c.bytes, sizeof address), 0);
    }
    // A label of 64 bytes, and a name of more than 253.
    const std::wstring longLabel = std::wstring(64, L'a') + L".example";
    std::wstring longName;
    while (longName.size() < 254) longName += L"abcdefgh.";
    longName += L"example";
    const std::wstring turnedDown[] = {L"1.2.3",
                                       L"256.0.0.1",
                                       L"1.2.3.4.5",
                                       L"",
                                       L" 127.0.0.1",
                                       L"bad name",
                                       L"host.invalid",
                                       L"Host.INVALID",
                                       L"invalid",
                                       L"-x.example",
                                       L"x-.example",
                                       L"a..example",
                                       L"trailing.example.",
                                       L"under_score.example",
                                       L"caf\u00e9.example",
                                       longLabel,
                                       longName};
    for (const std::wstring& text : turnedDown) {
        std::uint32_t address = 0xdeadbeef;
        EXPECT_EQ(KRNetUtil::getServerFromString(text.c_str(), address), VT_FAILED) << text;
        EXPECT_EQ(address, 0xdeadbeefu);
    }
    std::uint32_t address = 0;
    EXPECT_EQ(KRNetUtil::getServerFromString(nullptr, address), VT_FAILED);
}

}  // namespace
