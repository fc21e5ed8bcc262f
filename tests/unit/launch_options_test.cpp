#include "launch/launch_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

TEST(LaunchOptions, EachIdHasItsTextsAndSwitch) {
    struct Expected {
        LaunchOptionId id;
        const wchar_t* name;
        const wchar_t* description;
        const wchar_t* commandLineSwitch;
    } const table[] = {
        {PlayerName, L"Player Name", L"The name you want to play on the server as.", L"+name "},
        {Password, L"Password", L"The password used to connect to the server", L"+password "},
        {ConfigFile, L"Config File", L"The config file to use with this session.", L"+exec "},
    };
    for (const Expected& expected : table) {
        SCOPED_TRACE(expected.id);
        EXPECT_EQ(LaunchOptionName(expected.id), expected.name);
        EXPECT_EQ(LaunchOptionDescription(expected.id), expected.description);
        EXPECT_EQ(LaunchOptionSwitch(expected.id), expected.commandLineSwitch);
        // The host keeps pointers, so the lookups must hand out the module-wide entries.
        EXPECT_EQ(&LaunchOptionName(expected.id), &LaunchOptionNames[expected.id - 1]);
        EXPECT_EQ(&LaunchOptionDescription(expected.id), &LaunchOptionDescriptions[expected.id - 1]);
    }
}

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
