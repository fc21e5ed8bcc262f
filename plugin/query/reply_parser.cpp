#include "plugin/query/reply_parser.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

#include "plugin/query/table_names.h"
#include "common/wire/ansi_text.h"
#include "common/wire/byte_reader.h"

namespace {

constexpr unsigned char ReplyMagic[4] = {'c', '*', '*', 'b'};
constexpr std::uint8_t NoTeams = 255;        // a team count that ends the parse
constexpr std::uint8_t NoTeamIndex = 255;    // a player without a team
constexpr std::size_t PlayerScoreStart = 8;  // score digits follow a fixed-width prefix
constexpr std::size_t TeamScoreStart = 3;

// The texts that go to the host on every reply, made once: each host call takes its texts as
// std::wstring, and one built for the call would cost a heap block.
const std::wstring GameNameLabel(L"gamename");
const std::wstring VersionLabel(L"version");
const std::wstring DedicatedLabel(L"dedicated");
const std::wstring NeedPassLabel(L"needpass");
const std::wstring CpuLabel(L"cpu");
const std::wstring ModsLabel(L"mods");
const std::wstring GameLabel(L"game");
const std::wstring TeamCountLabel(L"numteams");
const std::wstring FlagSet(L"1");
const std::wstring FlagClear(L"0");
const std::wstring NoTeamText(L"Unknown");

constexpr std::size_t LongestFieldText = 255;  // a text field's length is one byte

// The characters of value as "%u" writes them, ending right before end. Returns where they
// begin; an unsigned takes at most 10.
template <class Char>
Char* WriteUnsigned(unsigned value, Char* end) {
    do {
        *--end = static_cast<Char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return end;
}

// The same for value as "%d" writes it; at most 11 characters.
template <class Char>
Char* WriteDecimal(int value, Char* end) {
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    end = WriteUnsigned(magnitude, end);
    if (value < 0) *--end = static_cast<Char>('-');
    return end;
}

// Replaces text with prefix followed by value as "%d" writes it. Written in place: text keeps
// its storage, and no general string operation is needed for a dozen characters.
void AssignDecimal(std::wstring& text, int value, std::wstring_view prefix = {}) {
    wchar_t digits[12];
    wchar_t* end = digits + 12;
    wchar_t* begin = WriteDecimal(value, end);
    std::size_t length = static_cast<std::size_t>(end - begin);
    text.resize(prefix.size() + length);
    std::copy(begin, end, std::copy(prefix.begin(), prefix.end(), &text[0]));
}

// The 23-character buffer (and terminator) that numbers and score pieces pass through on their
// way to wide text. Longer pieces are cut to fit.
class ScratchText {
public:
    void Copy(ByteSpan bytes) {
        length_ = std::min(bytes.size(), text_.size() - 1);
        std::memcpy(text_.data(), bytes.data(), length_);
        text_[length_] = '\0';
    }
    void FormatUnsigned(unsigned value) {
        char digits[12];
        CopyFrom(WriteUnsigned(value, digits + 12), digits + 12);
    }
    void FormatInt(int value) {
        char digits[12];
        CopyFrom(WriteDecimal(value, digits + 12), digits + 12);
    }

    const char* c_str() const { return text_.data(); }
    // Replaces wide's text with this one.
    void AssignTo(std::wstring& wide) const { AssignAnsi(wide, text_.data(), length_); }

private:
    void CopyFrom(const char* begin, const char* end) {
        Copy(ByteSpan(reinterpret_cast<const unsigned char*>(begin), static_cast<std::size_t>(end - begin)));
    }

    std::array<char, 24> text_{};
    std::size_t length_ = 0;
};

// The text of a field: its bytes up to the first zero byte, if any.
ByteSpan TextOf(ByteSpan field) {
    const unsigned char* zero = std::find(field.begin(), field.end(), '\0');
    return field.First(static_cast<std::size_t>(zero - field.begin()));
}

// Replaces wide's text with the field's (up to a zero byte among its bytes).
void AssignField(std::wstring& wide, ByteSpan field) {
    AssignAnsi(wide, reinterpret_cast<const char*>(field.data()), field.size());
}

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads text as strtol does in base 10: leading white space, an optional sign, then digits up
// to the first other character; no digits give 0. Values beyond int saturate.
int ReadDecimal(const char* text) {
    while (IsSpace(*text)) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    constexpr long long Limit = static_cast<long long>(INT_MAX) + 1;  // magnitude of INT_MIN
    long long magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = std::min(Limit, magnitude * 10 + (*text - '0'));
    }
    if (negative) return static_cast<int>(-magnitude);
    return static_cast<int>(std::min<long long>(magnitude, INT_MAX));
}

// The score that a player's score text holds between its index 8 and the first TAB from there
// on; nothing when there is no such TAB.
std::optional<int> PlayerScore(ByteSpan scoreField) {
    ByteSpan digits = TextOf(scoreField).From(PlayerScoreStart);
    const unsigned char* tab = std::find(digits.begin(), digits.end(), '\t');
    if (tab == digits.end()) return std::nullopt;
    ScratchText scratch;
    scratch.Copy(digits.First(static_cast<std::size_t>(tab - digits.begin())));
    return ReadDecimal(scratch.c_str());
}

// One parse of one datagram body (after the magic). Each step returns false where the bytes
// run out before it is done; everything written before that point stays.
class ReplyReading {
public:
    ReplyReading(ByteSpan body, VtServerData& data, ReplyFields fields)
        : reader_(body), data_(data), fields_(fields) {
        cell_.reserve(LongestFieldText);
    }

    void Run() {
        if (!ReadHeader() || !ReadTeams()) return;
        ReadPlayers();
        fields_.replyParsed = true;
    }

private:
    // Everything from the game name to the two fields before the team section.
    bool ReadHeader() {
        data_.AddRow(PropertiesTable);
        firstRow_ = data_.GetRowCount(PropertiesTable) - 1;
        lastRow_ = firstRow_;

        auto gameName = reader_.ReadTextField();
        if (!gameName) return false;
        AssignField(cell_, *gameName);
        WriteProperty(firstRow_, GameNameLabel, cell_);
        auto version = reader_.ReadTextField();
        if (!version) return false;
        AssignField(cell_, *version);
        AppendProperty(VersionLabel, cell_);

        auto serverName = reader_.ReadTextField();
        if (!serverName) return false;
        AssignField(fields_.serverName, *serverName);

        auto dedicated = reader_.ReadU8();
        if (!dedicated) return false;
        AppendProperty(DedicatedLabel, *dedicated ? FlagSet : FlagClear);
        auto needPass = reader_.ReadU8();
        if (!needPass) return false;
        AppendProperty(NeedPassLabel, *needPass ? FlagSet : FlagClear);

        auto playerCount = reader_.ReadU8();
        if (!playerCount) return false;
        fields_.playerCount = *playerCount;
        auto maxPlayers = reader_.ReadU8();
        if (!maxPlayers) return false;
        fields_.maxPlayers = *maxPlayers;

        auto cpu = reader_.ReadU16LE();
        if (!cpu) return false;
        scratch_.FormatUnsigned(*cpu);
        scratch_.AssignTo(cell_);
        AppendProperty(CpuLabel, cell_);

        auto mods = reader_.ReadTextField();
        if (!mods) return false;
        AssignField(cell_, *mods);
        AppendProperty(ModsLabel, cell_);
        auto game = reader_.ReadTextField();
        if (!game) return false;
        AssignField(cell_, *game);
        AppendProperty(GameLabel, cell_);

        auto map = reader_.ReadTextField();
        if (!map) return false;
        AssignField(fields_.mapName, *map);
        if (!reader_.ReadTextField()) return false;

        auto teamCount = reader_.ReadU8();
        if (!teamCount || *teamCount == NoTeams) return false;
        teamCount_ = *teamCount;
        scratch_.FormatInt(teamCount_);
        scratch_.AssignTo(cell_);
        AppendProperty(TeamCountLabel, cell_);

        if (!reader_.ReadTextField() || !reader_.ReadTextField()) return false;
        firstTeamRow_ = firstRow_ + 8;
        return true;
    }

    // Two or more teams come as name and score text each; zero or one team as a single name
    // followed by one byte that means nothing to us.
    bool ReadTeams() {
        bool scored = teamCount_ >= 2;
        int entries = scored ? teamCount_ : 1;
        for (int number = 1; number <= entries; ++number) {
            int row = AppendRow();
            AssignDecimal(cell_, number, L"Team ");
            data_.SetCell(PropertiesTable, PropertiesNameColumn, row, cell_);
            auto name = reader_.ReadTextField();
            if (!name) return false;
            AssignField(cell_, *name);
            data_.SetCell(PropertiesTable, PropertiesValueColumn, row, cell_);
            if (!scored) return reader_.Skip(1);
            auto score = reader_.ReadTextField();
            if (!score) return false;
            scratch_.Copy(TextOf(*score).From(TeamScoreStart));
            scratch_.AssignTo(cell_);
            data_.SetCell(PropertiesTable, TeamScoreColumn, row, cell_);
        }
        return true;
    }

    // Records run to the end of the datagram. A record is only given a row once its name is
    // known to be complete; a score that runs past the end is left unwritten.
    void ReadPlayers() {
        for (int row = 0; reader_.remaining() > 0; ++row) {
            auto fixed = reader_.ReadBytes(4);
            if (!fixed) return;
            std::uint8_t ping = (*fixed)[0];
            std::uint8_t loss = (*fixed)[1];
            std::uint8_t teamIndex = (*fixed)[2];
            auto name = reader_.ReadBytes((*fixed)[3]);
            if (!name) return;

            data_.AddRow(UsersTable);
            if (teamIndex == NoTeamIndex) {
                data_.SetCell(UsersTable, UsersTeamColumn, row, NoTeamText);
            } else {
                cell_.clear();  // the host fills the text it is given, passed in empty
                data_.GetCell(PropertiesTable, PropertiesValueColumn, firstTeamRow_ + teamIndex, cell_);
                data_.SetCell(UsersTable, UsersTeamColumn, row, cell_);
            }
            WriteDecimalCell(row, UsersPingColumn, ping * 4);
            WriteDecimalCell(row, UsersPacketLossColumn, loss);
            AssignField(cell_, *name);
            data_.SetCell(UsersTable, UsersNameColumn, row, cell_);

            auto scoreField = reader_.ReadTextField();
            if (!scoreField) return;
            if (auto score = PlayerScore(*scoreField)) WriteDecimalCell(row, UsersScoreColumn, *score);
        }
    }

    int AppendRow() {
        data_.AddRow(PropertiesTable);
        return ++lastRow_;
    }
    void AppendProperty(const std::wstring& name, const std::wstring& value) {
        WriteProperty(AppendRow(), name, value);
    }
    void WriteProperty(int row, const std::wstring& name, const std::wstring& value) {
        data_.SetCell(PropertiesTable, PropertiesNameColumn, row, name);
        data_.SetCell(PropertiesTable, PropertiesValueColumn, row, value);
    }
    void WriteDecimalCell(int row, int column, int value) {
        AssignDecimal(cell_, value);
        data_.SetCell(UsersTable, column, row, cell_);
    }

    ByteReader reader_;
    VtServerData& data_;
    ReplyFields fields_;
    ScratchText scratch_;
    // The text of the cell being written: the host copies what it keeps, so one buffer, sized
    // once for the longest field, serves every cell of the reply.
    std::wstring cell_;
    int firstRow_ = 0;
    int lastRow_ = 0;
    int firstTeamRow_ = 0;
    int teamCount_ = 0;
};

}  // namespace

void ParseReply(const unsigned char* bytes, int count, VtServerData& data, ReplyFields fields) {
    if (count < 5 || std::memcmp(bytes, ReplyMagic, sizeof ReplyMagic) != 0) return;
    ByteSpan body(bytes + sizeof ReplyMagic, static_cast<std::size_t>(count) - sizeof ReplyMagic);
    ReplyReading(body, data, fields).Run();
}
