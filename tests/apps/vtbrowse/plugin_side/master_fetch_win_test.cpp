// Servers from master servers in the window: fetched, merged a slice at a time while the window
// answers, refreshed, and taken off when no longer listed.
#include <cwchar>
#include <string>

#include "tests/apps/vtbrowse/browser_driving_win.h"
#include "tools/tribes_emu/master_emulator.h"

namespace vtbrowse_driving {

// The largest list a master can describe (loopback servers only), in packets of the usual size
// and in packets that hold 255 entries each, fetched by a window without the plugin (nothing is
// pinged): the table holds it all, and the window answers its messages throughout the fetch and
// the merge.
TEST_F(VtbrowseWindow, TheLargestListIsListedWholeWhileTheWindowAnswers) {
    for (const std::size_t packetBytes : {tribes_emu::DefaultMasterPacketBytes, std::size_t{2048}}) {
        tribes_emu::MasterBehaviour largest{tribes_emu::MasterMode::Largest};
        largest.packetBytes = packetBytes;
        const tribes_emu::FakeMaster master({}, largest);
        std::ofstream(settings_.c_str()) << "timeout=1\nmaster=" << Local(master.Port()) << "\n";
        Open({}, false);
        PostMessageW(browser->Window(), WM_COMMAND, IDC_GET_MASTERS, 0);
        double longest = 0;  // the longest the window's thread spent on one message
        ASSERT_TRUE(PumpUntil(
            *browser, [this] { return LogLinesWith(Control(IDC_LOG), L"Got ") == 1; }, 60, &longest));
        EXPECT_EQ(static_cast<size_t>(ItemCount(Control(IDC_SERVERS))),
                  tribes_emu::ListedInMode({}, largest).size());
        // Merged whole in one message, the 65,025 kept the window 0.3 to 0.5 s; in slices, under 0.1 s
        // (scripts/bench browse-largest measures it).
        EXPECT_LT(longest, 0.25) << packetBytes;
        browser.reset();
    }
}

// Servers from masters, named in the masters dialog: a fake master's list (entries no server can
// have left out, and counted) joins a server added by hand and is refreshed; a silent master,
// cancelled, takes nothing off; once the fake master lists fewer, the server it dropped goes and
// the one added by hand stays.
TEST_F(VtbrowseWindow, ServersFromMastersJoinTheListAndGoWhenNoLongerListed) {
    using tribes_emu::FakeMaster;
    using tribes_emu::MasterBehaviour;
    const auto peer = [](const TribesEmulator& server) {
        return tribes_emu::Peer{tribes_emu::Loopback, server.Port()};
    };
    // Among its servers five entries no server can have: left out, and counted.
    auto master = std::make_unique<FakeMaster>(std::vector{peer(*alpha), peer(*bravo), peer(*charlie)},
                                               MasterBehaviour{tribes_emu::MasterMode::Unusable});
    const FakeMaster silentMaster({}, MasterBehaviour{tribes_emu::MasterMode::Silent});
    const std::uint16_t port = master->Port();
    const std::wstring named = WideFromUtf8(Local(port));
    OpenAndRefresh({Local(alpha->Port())});
    std::thread answer([&] {
        if (const HWND dialog = FindDialog(L"Master servers", 10)) {
            SetDlgItemTextW(dialog, IDC_MASTERS_TEXT, named.c_str());
            SendMessageW(dialog, WM_COMMAND, IDC_MASTERS_ADD, 0);
            // Typed but not added: OK adds it.
            SetDlgItemTextW(dialog, IDC_MASTERS_TEXT, WideFromUtf8(Local(silentMaster.Port())).c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    });
    SendMessageW(browser->Window(), WM_COMMAND, IDC_MASTERS, 0);
    answer.join();

    const auto logged = [this](const std::wstring& text) { return LogLinesWith(Control(IDC_LOG), text); };
    // The fake master answers at once; the silent one would hold the fetch for 5 s: Esc ends it.
    const auto fetch = [&] {
        const int answers = logged(L"Master " + named + L": complete"),
                  ends = logged(L"Masters cancelled: got");
        PostMessageW(browser->Window(), WM_COMMAND, IDC_GET_MASTERS, 0);
        ASSERT_TRUE(
            PumpUntil(*browser, [&] { return logged(L"Master " + named + L": complete") > answers; }));
        EXPECT_THAT(StatusText(Control(IDC_STATUS)),
                    StartsWith(L"Getting servers from masters: 1 of 2 done"));
        EXPECT_TRUE(IsWindowEnabled(Control(IDCANCEL)));
        PostMessageW(browser->Window(), WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(PumpUntil(*browser, [&] { return logged(L"Masters cancelled: got") > ends; }));
        // The fetch's own time, which a busy window's late telling does not stretch.
        const std::wstring line = LogLines(Control(IDC_LOG), L"Masters cancelled: got").back();
        const auto in = line.find(L" masters in ");
        ASSERT_NE(in, std::wstring::npos) << line;
        EXPECT_LT(std::wcstod(line.c_str() + in + 12, nullptr), 4.0) << line;
        ASSERT_TRUE(RefreshEnds());
    };
    ASSERT_NO_FATAL_FAILURE(fetch());
    HWND servers = Control(IDC_SERVERS);
    ASSERT_EQ(ItemCount(servers), 3);
    EXPECT_EQ(ItemText(servers, RowOf(Local(bravo->Port())), 4), L"8/8 players on Bravo Base");
    EXPECT_EQ(ItemText(servers, RowOf(Local(charlie->Port())), 4), L"0/16 players on Charlie");
    EXPECT_EQ(logged(L"Master " + named + L" says: tribes-emu master: A fake master on 127.0.0.1"), 1);
    EXPECT_EQ(logged(L"Master " + WideFromUtf8(Local(silentMaster.Port())) + L": no answer"), 1);
    EXPECT_EQ(logged(L"got 3 servers from 1 of 2 masters"), 1);
    EXPECT_EQ(logged(L": 2 new, 0 taken off"), 1);
    EXPECT_EQ(logged(L"; 8 entries received, left out 5 entries no server can have (1 in 0.0.0.0/8, 1 "
                     L"broadcast, 2 multicast, 1 port 0)"),
              1);

    master.reset();
    master = std::make_unique<FakeMaster>(std::vector{peer(*bravo)}, MasterBehaviour{}, port);
    ASSERT_NO_FATAL_FAILURE(fetch());
    EXPECT_THAT(ColumnTexts(servers, 1), testing::UnorderedElementsAre(WideFromUtf8(Local(alpha->Port())),
                                                                       WideFromUtf8(Local(bravo->Port()))));
    EXPECT_EQ(logged(L": 0 new, 1 taken off"), 1);
    EXPECT_EQ(ItemText(servers, RowOf(Local(bravo->Port())), 4), L"8/8 players on Bravo Base");
    EXPECT_THAT(ReadFile(settings_),
                AllOf(HasSubstr("master=" + Local(silentMaster.Port())),
                      HasSubstr("server=" + Local(alpha->Port()) + "\n"),
                      HasSubstr("listed=" + Local(bravo->Port()) + " " + Local(port) + "\n"),
                      testing::Not(HasSubstr(Local(charlie->Port())))));
}

}  // namespace vtbrowse_driving
