// Quick connect and the Add dialog: a server typed is listed, asked and joined; an address no
// server can have is refused wherever it is typed.
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {

// Quick connect: a server typed in the address box is listed, asked, and the join dialog opens.
// An address no server can have, typed there, in the Add dialog or in a list imported at start,
// is refused in vtquery's words and never listed, so never pinged (each case of the rule is its
// own tests'; 0.0.0.0 stays on this machine). A settings file with a line that cannot be read is
// kept as it was; the command line's problem is in the log.
TEST_F(VtbrowseWindow, QuickConnectAndAddTakeServersAndRefuseAddressesNoServerCanHave) {
    std::ofstream(settings_.c_str(), std::ios::binary) << "timeout=1\nserver=127.0.0.1:99999\n";
    const std::wstring list = TempFile(L"vbl");  // refused whole, by its line
    std::ofstream(list.c_str()) << "127.0.0.1:28001\n0.0.0.0:28001\n";
    Open({"--servers", Utf8FromWide(list), "bad"});
    DeleteFileW(list.c_str());
    HWND log = Control(IDC_LOG);
    EXPECT_EQ(LogLinesWith(log, L"'bad' has no port"), 1);
    ASSERT_EQ(LogLinesWith(log, L"is kept as "), 1);
    const std::wstring kept = LogLine(log, L"is kept as ");
    const std::wstring copy = kept.substr(kept.find(L"is kept as ") + 11);
    EXPECT_THAT(copy, HasSubstr(L"-as-it-was-"));
    EXPECT_EQ(ReadFile(copy), "timeout=1\nserver=127.0.0.1:99999\n");
    DeleteFileW(copy.c_str());
    const std::wstring refusal = L"'0.0.0.0:28001': no server can have this address (in 0.0.0.0/8)";
    EXPECT_EQ(LogLinesWith(log, L":2: " + refusal), 1);
    const auto connect = [this](const std::wstring& typed) {
        SetDlgItemTextW(Control(IDC_QUICK_CONNECT), IDC_QUICK_TEXT, typed.c_str());
        SendDlgItemMessageW(Control(IDC_QUICK_CONNECT), IDC_QUICK_GO, BM_CLICK, 0, 0);
    };
    connect(L" 0.0.0.0:28001");
    ASSERT_EQ(LogLinesWith(log, L"Cannot connect: " + refusal), 1);
    // Added with a usable server before it: the dialog stays, says why, and adds neither.
    std::wstring problem, server;
    std::thread answer([&] {
        if (const HWND dialog = FindDialog(L"Add servers", 10)) {
            SetDlgItemTextW(dialog, IDC_ADD_TEXT, L"127.0.0.1:28001 0.0.0.0:28001");
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            problem = WindowText(GetDlgItem(dialog, IDC_ADD_PROBLEM));
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        if (const HWND dialog = FindDialog(L"Join server", 10)) {
            server = WindowText(GetDlgItem(dialog, IDC_JOIN_SERVER));
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    SendMessageW(browser->Window(), WM_COMMAND, IDC_ADD, 0);
    EXPECT_EQ(ItemCount(Control(IDC_SERVERS)), 0);
    connect(WideFromUtf8(Local(alpha->Port())));
    PumpUntil(*browser, [&] { return !server.empty(); });
    answer.join();
    EXPECT_EQ(problem, refusal);
    EXPECT_EQ(server, L"Alpha  " + WideFromUtf8(Local(alpha->Port())));
    EXPECT_THAT(ColumnTexts(Control(IDC_SERVERS), 4), ElementsAre(L"12/32 players on Alpha"));
}

}  // namespace vtbrowse_driving
