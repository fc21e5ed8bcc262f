#include "plugin/query/reply_parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/probes/call_probe.h"
#include "host/services/server_objects.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

using namespace std::string_view_literals;

// A datagram written field by field in reply order.
struct Datagram {
    std::vector<unsigned char> bytes;

    Datagram& Byte(int value) {
        bytes.push_back(static_cast<unsigned char>(value));
        return *this;
    }
    Datagram& Raw(std::string_view text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    Datagram& Text(std::string_view text) { return Byte(static_cast<int>(text.size())).Raw(text); }
    Datagram& Player(int ping, int loss, int team, std::string_view name, std::string_view score) {
        return Byte(ping).Byte(loss).Byte(team).Text(name).Text(score);
    }
};

// Everything up to the team section of a reply from "Alpha Base" on "Raindance".
Datagram Header(int teamCount, std::string_view gameName = "Tribes") {
    Datagram d;
    d.Raw("c**b").Text(gameName).Text("1.30").Text("Alpha Base");
    d.Byte(2).Byte(0).Byte(12).Byte(32).Byte(0x34).Byte(0x12);  // flags, counts, cpu
    d.Text("base").Text("CTF").Text("Raindance").Text("motd");
    return d.Byte(teamCount).Text("x").Text("y");
}

// The header of a server without teams and the single entry that comes with it.
Datagram TeamlessReply() {
    return Header(0).Text("").Byte(0);
}

TableRow Row(std::initializer_list<const wchar_t*> cells) {
    TableRow row;
    for (const wchar_t* cell : cells) row.push_back(cell ? TableCell(cell) : std::nullopt);
    return row;
}

class ReplyParse : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }

    // A new server record with both tables declared and its calls journaled.
    void Fresh() {
        data = HostRef<HostServerData>::Adopt(HostServerData::Create());
        data->AddTable(L"UsersTable");
        data->AddTable(L"PropertiesTable");
        Probe(*data, journal);
    }

    // Parses exactly count bytes, copied so that a read past them is an error under ASan.
    void Parse(const Datagram& d, size_t count) {
        std::unique_ptr<unsigned char[]> copy(new unsigned char[count]);
        std::copy(d.bytes.begin(), d.bytes.begin() + static_cast<std::ptrdiff_t>(count), copy.get());
        ParseReply(copy.get(), static_cast<int>(count), *data,
                   ReplyFields{serverName, mapName, playerCount, maxPlayers, replyParsed});
    }
    void Parse(const Datagram& d) { Parse(d, d.bytes.size()); }

    std::vector<TableRow> Properties() const { return data->Table(L"PropertiesTable").rows; }
    std::vector<TableRow> Users() const { return data->Table(L"UsersTable").rows; }

    HostRef<HostServerData> data;
    std::shared_ptr<CallJournal> journal = std::make_shared<CallJournal>();
    std::wstring serverName = L"before";
    std::wstring mapName = L"before";
    int playerCount = -1;
    int maxPlayers = -1;
    bool replyParsed = false;
};

TEST_F(ReplyParse, ShortestReplyWritesNinePropertyRowsInCallOrder) {
    Datagram d;
    d.Raw("c**b").Text("").Text("").Text("").Byte(0).Byte(0).Byte(0).Byte(0).Byte(0).Byte(0);
    d.Text("").Text("").Text("").Text("").Byte(0).Text("").Text("").Text("").Byte(0);
    ASSERT_EQ(d.bytes.size(), 22u);
    Parse(d);

    const std::vector<std::pair<std::wstring, std::wstring>> rows = {
        {L"gamename", L""}, {L"version", L""}, {L"dedicated", L"0"}, {L"needpass", L"0"}, {L"cpu", L"0"},
        {L"mods", L""},     {L"game", L""},    {L"numteams", L"0"},  {L"Team 1", L""}};
    std::vector<std::wstring> calls;
    for (size_t row = 0; row < rows.size(); ++row) {
        std::wstring index = std::to_wstring(row);
        calls.push_back(L"data.AddRow(PropertiesTable)");
        if (row == 0) calls.push_back(L"data.GetRowCount(PropertiesTable)");
        calls.push_back(L"data.SetCell(PropertiesTable,0," + index + L"," + rows[row].first + L")");
        calls.push_back(L"data.SetCell(PropertiesTable,1," + index + L"," + rows[row].second + L")");
    }
    EXPECT_THAT(journal->Lines(), ElementsAreArray(calls));
    EXPECT_TRUE(replyParsed);
    EXPECT_EQ(serverName, L"");
    EXPECT_EQ(mapName, L"");
    EXPECT_EQ(playerCount, 0);
    EXPECT_EQ(maxPlayers, 0);
    EXPECT_THAT(Users(), IsEmpty());
}

TEST_F(ReplyParse, TeamsWithScoresAndPlayersFindingThem) {
    Datagram d = Header(3);
    d.Text("Blood Eagle").Text("xyz7").Text("Diamond Sword").Text("abc");
    d.Text("Starwolf").Text("abc" + std::string(30, 'S'));
    d.Player(25, 3, 1, "Ann", "ABCDEFGH42\tk").Player(0, 0, 255, "Bob", "").Player(1, 2, 7, "Cy", "");
    Parse(d);

    std::wstring cut(23, L'S');
    EXPECT_THAT(
        Properties(),
        ElementsAre(Row({L"gamename", L"Tribes"}), Row({L"version", L"1.30"}), Row({L"dedicated", L"1"}),
                    Row({L"needpass", L"0"}), Row({L"cpu", L"4660"}), Row({L"mods", L"base"}),
                    Row({L"game", L"CTF"}), Row({L"numteams", L"3"}), Row({L"Team 1", L"Blood Eagle", L"7"}),
                    Row({L"Team 2", L"Diamond Sword", L""}), Row({L"Team 3", L"Starwolf", cut.c_str()})));
    EXPECT_THAT(Users(), ElementsAre(Row({L"Ann", L"42", L"Diamond Sword", L"100", L"3"}),
                                     Row({L"Bob", nullptr, L"Unknown", L"0", L"0"}),
                                     Row({L"Cy", nullptr, L"", L"4", L"2"})));
    EXPECT_TRUE(replyParsed);
    EXPECT_EQ(serverName, L"Alpha Base");
    EXPECT_EQ(mapName, L"Raindance");
    EXPECT_EQ(playerCount, 12);
    EXPECT_EQ(maxPlayers, 32);

    // A player's cells: team looked up first, then team, ping, loss, name, score.
    std::vector<std::wstring> lines = journal->Lines();
    auto ann = std::find(lines.begin(), lines.end(), L"data.AddRow(UsersTable)");
    ASSERT_GE(lines.end() - ann, 7);
    EXPECT_THAT(std::vector<std::wstring>(ann, ann + 7),
                ElementsAre(L"data.AddRow(UsersTable)", L"data.GetCell(PropertiesTable,1,9)",
                            L"data.SetCell(UsersTable,2,0,Diamond Sword)",
                            L"data.SetCell(UsersTable,3,0,100)", L"data.SetCell(UsersTable,4,0,3)",
                            L"data.SetCell(UsersTable,0,0,Ann)", L"data.SetCell(UsersTable,1,0,42)"));
}

// With no teams or one, a single entry is followed by one byte that is skipped; a zero byte
// ends a text but not its field, and the fields after it are read where they stand.
TEST_F(ReplyParse, SingleTeamEntrySkipsOneByteAndZeroBytesEndTextsNotFields) {
    const struct {
        int teamCount;
        std::string_view game, team, player;
        const wchar_t *gameShown, *teamShown, *playerShown;
    } cases[] = {{0, "Tribes", "Phoenix", "Ann", L"Tribes", L"Phoenix", L"Ann"},
                 {1, "Tribes", "Phoenix", "Ann", L"Tribes", L"Phoenix", L"Ann"},
                 {0, "Tri\0bes"sv, "Pho\0enix"sv, "Ann\0xy"sv, L"Tri", L"Pho", L"Ann"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.team));
        Fresh();
        Parse(Header(c.teamCount, c.game).Text(c.team).Byte('P').Player(2, 1, 0, c.player, "ABCDEFGH5\t"));
        std::vector<TableRow> rows = Properties();
        ASSERT_EQ(rows.size(), 9u);
        EXPECT_EQ(rows[0], Row({L"gamename", c.gameShown}));
        EXPECT_EQ(rows[1], Row({L"version", L"1.30"}));
        EXPECT_EQ(rows[7], Row({L"numteams", c.teamCount ? L"1" : L"0"}));
        EXPECT_EQ(rows[8], Row({L"Team 1", c.teamShown}));
        EXPECT_THAT(Users(), ElementsAre(Row({c.playerShown, L"5", c.teamShown, L"8", L"1"})));
        EXPECT_TRUE(replyParsed);
    }
}

TEST_F(ReplyParse, ScoreComesFromIndexEightUpToTab) {
    struct Case {
        std::string_view scoreText;
        const wchar_t* score;  // null: cell not written
    } const cases[] = {
        {"ABCDEFGH42\t", L"42"},
        {"ABCDEFGH 007\tx", L"7"},
        {"ABCDEFGH\t", L"0"},
        {"ABCDEFGHx\t", L"0"},
        {"ABCDEFGH\v\f\r+8z\t", L"8"},
        {"ABCDEFGH-17\t", L"-17"},
        {"ABCDEFG\t5\t", L"5"},  // a TAB before index 8 does not count
        {"ABCDEFGH", nullptr},
        {"ABCD\t", nullptr},
        {"ABCDEFGH42", nullptr},
        {"ABCDEFGH4\0"
         "2\t"sv,
         nullptr},  // the text ends at the zero byte
        {"ABCDEFGH99999999999\t", L"2147483647"},
        {"ABCDEFGH-99999999999\t", L"-2147483648"},
        {"ABCDEFGH                      123\t", L"1"},  // digits past 23 characters are cut off
    };
    Datagram d = TeamlessReply();
    for (const Case& c : cases) d.Player(0, 0, 255, "P", c.scoreText);
    Parse(d);
    std::vector<TableRow> users = Users();
    ASSERT_EQ(users.size(), std::size(cases));
    for (size_t i = 0; i < users.size(); ++i) {
        SCOPED_TRACE(std::string(cases[i].scoreText));
        EXPECT_EQ(users[i].at(1), cases[i].score ? TableCell(cases[i].score) : std::nullopt);
    }
}

TEST_F(ReplyParse, NonRepliesChangeNothing) {
    Datagram full = TeamlessReply();
    const std::vector<std::vector<unsigned char>> datagrams = {
        {}, {'c'}, {'c', '*', '*', 'b'}, {'c', '*', '*', 'a', 0}, {'C', '*', '*', 'b', 0}, {'b', '*', '*'}};
    for (std::vector<unsigned char> bytes : datagrams) {
        Parse(Datagram{bytes});
    }
    Datagram wrongMagic = full;
    wrongMagic.bytes[3] = 'B';
    Parse(wrongMagic);
    EXPECT_THAT(journal->Lines(), IsEmpty());
    EXPECT_EQ(serverName, L"before");
    EXPECT_EQ(mapName, L"before");
    EXPECT_EQ(playerCount, -1);
    EXPECT_FALSE(replyParsed);
}

// A realistic reply cut at every length: nothing is read past the cut, the reply counts once
// the team section is whole, and each player appears once its name is whole, with its score
// once its score text is.
TEST_F(ReplyParse, EveryTruncationStopsCleanly) {
    Datagram d = Header(3);
    d.Text("Blood Eagle").Text("xyz12").Text("Diamond Sword").Text("abc3").Text("Starwolf").Text("");
    const size_t teamEnd = d.bytes.size();
    std::vector<size_t> nameEnds, recordEnds;
    for (int p = 0; p < 12; ++p) {
        std::string name = p == 5 ? "" : "Player" + std::to_string(p);
        d.Byte(10 + p).Byte(p).Byte(p % 4 == 3 ? 255 : p % 3).Text(name);
        nameEnds.push_back(d.bytes.size());
        d.Text("ABCDEFGH" + std::to_string(p * 7) + "\t1\t2");
        recordEnds.push_back(d.bytes.size());
    }

    for (size_t length = 0; length <= d.bytes.size(); ++length) {
        SCOPED_TRACE(length);
        Fresh();
        replyParsed = false;
        Parse(d, length);
        EXPECT_EQ(replyParsed, length >= teamEnd);
        size_t named = 0;
        while (named < nameEnds.size() && nameEnds[named] <= length) ++named;
        std::vector<TableRow> users = Users();
        ASSERT_EQ(users.size(), replyParsed ? named : 0);
        for (size_t p = 0; p < users.size(); ++p) {
            EXPECT_EQ(users[p].at(1).has_value(), recordEnds[p] <= length) << p;
            EXPECT_EQ(users[p].at(3), TableCell(std::to_wstring((10 + p) * 4)));
        }
        if (replyParsed) {
            EXPECT_EQ(Properties().size(), 11u);
        }
    }
}

}  // namespace
