#include "query/reply_parser.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

#include "boundary/ansi_text.h"
#include "boundary/table_names.h"
#include "query/byte_reader.h"

namespace {

constexpr unsigned char ReplyMagic[4] = {'c', '*', '*', 'b'};
constexpr std::uint8_t NoTeams = 255;        // a team count that ends the parse
constexpr std::uint8_t NoTeamIndex = 255;    // a player without a team
constexpr std::size_t PlayerScoreStart = 8;  // score digits follow a fixed-width prefix
constexpr std::size_t TeamScoreStart = 3;

// The 23-character buffer (and terminator) that numbers and score pieces pass through on their
// way to wide text. Longer pieces are cut to fit.
class ScratchText {
public:
    void Copy(ByteSpan bytes) {
        std::size_t length = std::min(bytes.size(), text_.size() - 1);
        std::memcpy(text_.data(), bytes.data(), length);
        text_[length] = '\0';
    }
    void FormatUnsigned(unsigned value) { std::snprintf(text_.data(), text_.size(), "%u", value); }
    void FormatInt(int value) { std::snprintf(text_.data(), text_.size(), "%d", value); }

    const char* c_str() const { return text_.data(); }
    std::wstring Wide() const { return AnsiToWide(text_.data()); }

private:
    std::array<char, 24> text_{};
};

// The text of a field: its bytes up to the first zero byte, if any.
ByteSpan TextOf(ByteSpan field) {
    const unsigned char* zero = std::find(field.begin(), field.end(), '\0');
    return field.First(static_cast<std::size_t>(zero - field.begin()));
}

std::wstring WideText(ByteSpan field) {
    return AnsiToWide(reinterpret_cast<const char*>(field.data()), field.size());
}

std::wstring DecimalText(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return AnsiToWide(text);
}

std::wstring TeamLabel(int number) {
    char text[24];
    std::snprintf(text, sizeof text, "Team %d", number);
    return AnsiToWide(text);
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
        : reader_(body), data_(data), fields_(fields) {}

    void Run() {
        if (!ReadHeader() || !ReadTeams()) return;
        ReadPlayers();
        fields_.replyParsed = true;
    }

private:
    // Everything from the game name to the two fields before the team section.
    bool ReadHeader() {
        data_.AddRow(PropertiesTableName);
        firstRow_ = data_.GetRowCount(PropertiesTableName) - 1;
        lastRow_ = firstRow_;

        auto gameName = reader_.ReadTextField();
        if (!gameName) return false;
        WriteProperty(firstRow_, L"gamename", WideText(*gameName));
        auto version = reader_.ReadTextField();
        if (!version) return false;
        AppendProperty(L"version", WideText(*version));

        auto serverName = reader_.ReadTextField();
        if (!serverName) return false;
        fields_.serverName = WideText(*serverName);

        auto dedicated = reader_.ReadU8();
        if (!dedicated) return false;
        AppendProperty(L"dedicated", *dedicated ? L"1" : L"0");
        auto needPass = reader_.ReadU8();
        if (!needPass) return false;
        AppendProperty(L"needpass", *needPass ? L"1" : L"0");

        auto playerCount = reader_.ReadU8();
        if (!playerCount) return false;
        fields_.playerCount = *playerCount;
        auto maxPlayers = reader_.ReadU8();
        if (!maxPlayers) return false;
        fields_.maxPlayers = *maxPlayers;

        auto cpu = reader_.ReadU16LE();
        if (!cpu) return false;
        scratch_.FormatUnsigned(*cpu);
        AppendProperty(L"cpu", scratch_.Wide());

        auto mods = reader_.ReadTextField();
        if (!mods) return false;
        AppendProperty(L"mods", WideText(*mods));
        auto game = reader_.ReadTextField();
        if (!game) return false;
        AppendProperty(L"game", WideText(*game));

        auto map = reader_.ReadTextField();
        if (!map) return false;
        fields_.mapName = WideText(*map);
        if (!reader_.ReadTextField()) return false;

        auto teamCount = reader_.ReadU8();
        if (!teamCount || *teamCount == NoTeams) return false;
        teamCount_ = *teamCount;
        scratch_.FormatInt(teamCount_);
        AppendProperty(L"numteams", scratch_.Wide());

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
            data_.SetCell(PropertiesTableName, PropertiesNameColumn, row, TeamLabel(number));
            auto name = reader_.ReadTextField();
            if (!name) return false;
            data_.SetCell(PropertiesTableName, PropertiesValueColumn, row, WideText(*name));
            if (!scored) return reader_.Skip(1);
            auto score = reader_.ReadTextField();
            if (!score) return false;
            scratch_.Copy(TextOf(*score).From(TeamScoreStart));
            data_.SetCell(PropertiesTableName, TeamScoreColumn, row, scratch_.Wide());
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

            data_.AddRow(UsersTableName);
            std::wstring team;
            if (teamIndex == NoTeamIndex) {
                team = L"Unknown";
            } else {
                data_.GetCell(PropertiesTableName, PropertiesValueColumn, firstTeamRow_ + teamIndex, team);
            }
            data_.SetCell(UsersTableName, UsersTeamColumn, row, team);
            data_.SetCell(UsersTableName, UsersPingColumn, row, DecimalText(ping * 4));
            data_.SetCell(UsersTableName, UsersPacketLossColumn, row, DecimalText(loss));
            data_.SetCell(UsersTableName, UsersNameColumn, row, WideText(*name));

            auto scoreField = reader_.ReadTextField();
            if (!scoreField) return;
            if (auto score = PlayerScore(*scoreField)) {
                data_.SetCell(UsersTableName, UsersScoreColumn, row, DecimalText(*score));
            }
        }
    }

    int AppendRow() {
        data_.AddRow(PropertiesTableName);
        return ++lastRow_;
    }
    void AppendProperty(const wchar_t* name, const std::wstring& value) {
        WriteProperty(AppendRow(), name, value);
    }
    void WriteProperty(int row, const wchar_t* name, const std::wstring& value) {
        data_.SetCell(PropertiesTableName, PropertiesNameColumn, row, name);
        data_.SetCell(PropertiesTableName, PropertiesValueColumn, row, value);
    }

    ByteReader reader_;
    VtServerData& data_;
    ReplyFields fields_;
    ScratchText scratch_;
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
