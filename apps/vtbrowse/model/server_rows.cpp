#include "apps/vtbrowse/model/server_rows.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace {

wchar_t Folded(wchar_t c) {
    if (c < 0x80) return static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c + 32 : c);
    return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
}

template <class Number>
int CompareNumbers(Number a, Number b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// Addresses compared where they stand, without a wide copy of each (a list of thousands is sorted
// by address whenever its names are level): ASCII letters folded, other characters by their
// UTF-8 bytes, whose order is their code points'.
int CompareAddresses(const ServerAddress& a, const ServerAddress& b) {
    const auto folded = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 'A' && byte <= 'Z' ? byte + 32 : byte;
    };
    const size_t common = std::min(a.address.size(), b.address.size());
    int byText = 0;
    for (size_t i = 0; i < common && byText == 0; ++i)
        byText = CompareNumbers(folded(a.address[i]), folded(b.address[i]));
    if (byText == 0) byText = CompareNumbers(a.address.size(), b.address.size());
    return byText != 0 ? byText : CompareNumbers(a.port, b.port);
}

int CompareBy(const ServerRow& a, const ServerRow& b, RowColumn column) {
    const HostServerStatus& x = a.last.status;
    const HostServerStatus& y = b.last.status;
    switch (column) {
        case RowColumn::Name:
            return CompareFolded(x.serverName, y.serverName);
        case RowColumn::Address:
            return CompareAddresses(a.address, b.address);
        case RowColumn::Map:
            return CompareFolded(x.mapName, y.mapName);
        case RowColumn::Players: {
            const int byCount = CompareNumbers(x.playerCount, y.playerCount);
            return byCount != 0 ? byCount : CompareNumbers(x.maxPlayers, y.maxPlayers);
        }
        case RowColumn::Status:
            return CompareFolded(x.statusText, y.statusText);
        case RowColumn::Ping:
            return CompareNumbers(a.last.LastPingMs(), b.last.LastPingMs());
        case RowColumn::Favourite:
            return CompareNumbers(b.origin.favourite, a.origin.favourite);
    }
    return 0;
}

}  // namespace

int CompareFolded(std::wstring_view a, std::wstring_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const wchar_t x = Folded(a[i]);
        const wchar_t y = Folded(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

bool LastPingAnswered(const ServerRow& row) {
    return row.refreshed && row.last.outcome == Outcome::Success;
}

bool SameFolded(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareFolded(a, b) == 0;
}

bool ContainsFolded(std::wstring_view text, std::wstring_view part) {
    if (part.empty()) return true;
    if (part.size() > text.size()) return false;
    for (size_t start = 0; start + part.size() <= text.size(); ++start) {
        if (CompareFolded(text.substr(start, part.size()), part) == 0) return true;
    }
    return false;
}

const wchar_t* ColumnHeading(RowColumn column) {
    switch (column) {
        case RowColumn::Name:
            return L"Server";
        case RowColumn::Address:
            return L"Address";
        case RowColumn::Map:
            return L"Map";
        case RowColumn::Players:
            return L"Players";
        case RowColumn::Status:
            return L"Status";
        case RowColumn::Ping:
            return L"Ping";
        case RowColumn::Favourite:
            return L"Favourite";
    }
    return L"";
}

std::wstring CellText(const ServerRow& row, RowColumn column) {
    if (column == RowColumn::Address) return row.address.WideText();
    if (column == RowColumn::Favourite) return FavouriteText(row);
    if (!row.refreshed) return column == RowColumn::Status ? L"not refreshed yet" : L"";
    const HostServerStatus& status = row.last.status;
    switch (column) {
        case RowColumn::Name:
            return status.serverName;
        case RowColumn::Map:
            return status.mapName;
        case RowColumn::Players:
            return std::to_wstring(status.playerCount) + L"/" + std::to_wstring(status.maxPlayers);
        case RowColumn::Status:
            return status.statusText;
        case RowColumn::Ping:
            return std::to_wstring(std::lround(row.last.LastPingMs())) + L" ms";
        case RowColumn::Address:
        case RowColumn::Favourite:
            break;
    }
    return L"";
}

void ApplyResult(ServerRow& row, ServerResult result) {
    const int recordsBefore = row.refreshed ? row.last.status.recordCount : 0;
    const HostServerStatus& status = result.status;
    const bool recordedCount =
        status.recordCount > recordsBefore && status.recorded == RecordedOutcome::PlayerCount;
    row.history.push_back(recordedCount ? CountPoint(status.recordedPlayerCount) : std::nullopt);
    row.last = std::move(result);
    row.refreshed = true;
}

bool SortsBefore(const ServerRow& a, const ServerRow& b, const RowOrder& order) {
    // Only the address and the star are known before a server's first refresh.
    const bool knownBefore = order.column == RowColumn::Address || order.column == RowColumn::Favourite;
    if (!knownBefore && a.refreshed != b.refreshed) return a.refreshed;
    int compared = a.refreshed || knownBefore ? CompareBy(a, b, order.column) : 0;
    if (order.descending) compared = -compared;
    if (compared == 0) compared = CompareAddresses(a.address, b.address);
    return compared < 0;
}

std::wstring FavouriteText(const ServerRow& row) {
    if (!row.origin.favourite) return L"";
    return row.origin.notListed ? L"\u2605 not listed" : L"\u2605";
}
