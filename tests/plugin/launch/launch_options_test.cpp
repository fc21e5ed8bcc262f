#include "plugin/launch/launch_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

// Records what the plugin hands the host; only AddLaunchOption is expected.
class OfferRecorder : public VtServerEntry {
public:
    MOCK_METHOD(VTRESULT, Lock, (), (override));
    MOCK_METHOD(VTRESULT, Unlock, (), (override));
    MOCK_METHOD(VTRESULT, BeginUpdate, (), (override));
    MOCK_METHOD(VTRESULT, EndUpdate, (), (override));
    MOCK_METHOD(long, AddRef, (), (override));
    MOCK_METHOD(long, Release, (), (override));
    MOCK_METHOD(int, GetPort, (), (override));
    MOCK_METHOD(std::wstring, GetAddress, (), (override));
    MOCK_METHOD(std::wstring, GetLabel, (), (override));
    MOCK_METHOD(int, GetTimeout, (), (override));
    MOCK_METHOD(VTRESULT, AddLaunchOption, (int, const std::wstring*, const std::wstring*, int, int),
                (override));
    MOCK_METHOD(int, GetLaunchOption, (int, std::wstring&), (override));
    MOCK_METHOD(std::wstring, GetExecutablePath, (), (override));
    MOCK_METHOD(std::wstring, GetLaunchParameters, (), (override));
};

TEST(LaunchOptions, OnlyThePasswordIsOfferedWithPointersIntoTheModuleTables) {
    ::testing::StrictMock<OfferRecorder> entry;
    // The host may read on past the entry it is pointed at, so it must get the tables' own
    // entries, not copies.
    EXPECT_CALL(entry, AddLaunchOption(2, &LaunchOptionNames[1], &LaunchOptionDescriptions[1], 0, 1))
        .WillOnce(::testing::Return(VT_OK));

    OfferLaunchOptions(entry);
}

}  // namespace
