#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "contract/host_services.h"

namespace {

struct AddressCase {
    const wchar_t* text;
    bool resolves;
    std::uint8_t bytes[4];  // the address as it lies in memory: network byte order
};

// Every case is settled without a lookup: numeric, loopback, or a name no resolver is asked about.
const AddressCase kAddressCases[] = {
    {L"127.0.0.1", true, {127, 0, 0, 1}},
    {L"10.200.3.45", true, {10, 200, 3, 45}},
    {L"localhost", true, {127, 0, 0, 1}},
    {L"LocalHost", true, {127, 0, 0, 1}},
    {L"1.2.3", false, {}},
    {L"256.0.0.1", false, {}},
    {L"1.2.3.4.5", false, {}},
    {L"", false, {}},
    {L" 127.0.0.1", false, {}},
    {L"bad name", false, {}},
    {L"host.invalid", false, {}},
    {L"Host.INVALID", false, {}},
    {L"invalid", false, {}},
    {L"-x.example", false, {}},
    {L"x-.example", false, {}},
    {L"a..example", false, {}},
    {L"trailing.example.", false, {}},
    {L"under_score.example", false, {}},
    {L"caf\u00e9.example", false, {}},
    {L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.example",
     false,
     {}},  // 64-byte label
    {nullptr, false, {}},
};

TEST(KRNetAddress, ResolvesNumericAndLoopbackAndTurnsDownBadNames) {
    for (const AddressCase& c : kAddressCases) {
        SCOPED_TRACE(c.text ? std::wstring(c.text) : L"(null)");
        std::uint32_t address = 0xdeadbeef;
        VTRESULT result = KRNetUtil::getServerFromString(c.text, address);
        if (c.resolves) {
            ASSERT_EQ(result, VT_OK);
            EXPECT_EQ(std::memcmp(&address, c.bytes, sizeof address), 0);
        } else {
            EXPECT_EQ(result, VT_FAILED);
            EXPECT_EQ(address, 0xdeadbeefu);
        }
    }
}

TEST(KRNetAddress, OverlongNamesAreTurnedDown) {
    std::wstring name;
    while (name.size() < 254) name += L"abcdefgh.";
    name += L"example";
    std::uint32_t address = 0;
    EXPECT_EQ(KRNetUtil::getServerFromString(name.c_str(), address), VT_FAILED);
}

}  // namespace
