#include "apps/vtbrowse/browser_layout.h"

#include <algorithm>

#include "apps/vtbrowse/browser_ids.h"

namespace {

constexpr int Margin = 6;
constexpr int Spacing = 4;  // between two controls of a row
constexpr int LineHeight = 18;
constexpr int LogHeight = 128;
constexpr int QuickWidth = 330;  // quick connect's room where the window has it
constexpr int SideGap = 8;       // between the filters and what stands at their right
constexpr int FriendsWidth = 460;
constexpr int LeastLog = 200;
constexpr int LeastList = 110;
constexpr int LeastDetails = 90;
constexpr int LeastDetailsWidth = 600;  // the pages and the chart beside them

// The least whole whose percent parts (whole * percent / 100) reach part.
int WholeFor(int part, int percent) {
    return (part * 100 + percent - 1) / percent;
}

int FiltersWidth() {
    return std::max(RowWidth(FilterRows[0]), RowWidth(FilterRows[1]));
}

}  // namespace

int Scaled(int units, int dpi) {
    const long long product = static_cast<long long>(units) * dpi;
    return static_cast<int>((product + (product < 0 ? -48 : 48)) / 96);
}

int Unscaled(int pixels, int dpi) {
    if (dpi <= 0) return pixels;
    const long long product = static_cast<long long>(pixels) * 96;
    return static_cast<int>((product + (product < 0 ? -dpi : dpi) / 2) / dpi);
}

namespace {

// The cancel button is IDCANCEL (windows.h), so that Esc presses it.
constexpr int CancelId = 2;

}  // namespace

// Each control is as wide as its text in the message font at every scale, with a tenth or more
// to spare for a font wider than the one it was measured in (the window's tests measure them).
const std::vector<RowCell> CommandRow = {{IDC_ADD, 64},
                                         {IDC_REMOVE, 64},
                                         {IDC_IMPORT, 70},
                                         {0, 8},
                                         {IDC_REFRESH, 80},
                                         {IDC_REFRESH_SELECTED, 112},
                                         {CancelId, 60},
                                         {0, 8},
                                         {IDC_JOIN, 60},
                                         {IDC_FIND, 96},
                                         {0, 8},
                                         {IDC_AUTO, 98},
                                         {IDC_AUTO_LABEL, 38},
                                         {IDC_AUTO_SECONDS, 44},
                                         {IDC_AUTO_UNIT, 12}};
const std::vector<RowCell> FilterRows[2] = {{{IDC_FILTER_LABEL, 92},
                                             {IDC_FILTER_TEXT, 100},
                                             {0, 8},
                                             {IDC_HIDE_EMPTY, 92},
                                             {IDC_HIDE_FULL, 80},
                                             {IDC_HIDE_SILENT, 116},
                                             {IDC_FAVOURITES_ONLY, 116}},
                                            {{IDC_FILTER_GAME_LABEL, 42},
                                             {IDC_FILTER_GAME, 100},
                                             {IDC_FILTER_MOD_LABEL, 32},
                                             {IDC_FILTER_MOD, 90},
                                             {IDC_FILTER_PASSWORD_LABEL, 64},
                                             {IDC_FILTER_PASSWORD, 90},
                                             {IDC_FILTER_PING_LABEL, 68},
                                             {IDC_FILTER_PING, 44},
                                             {IDC_FILTER_PING_UNIT, 20}}};
const std::vector<RowCell> QuickRow = {{IDC_QUICK_LABEL, 72}, {IDC_QUICK_TEXT, 80, true}, {IDC_QUICK_GO, 64}};
const std::vector<RowCell> MastersRow = {{IDC_GET_MASTERS, 124}, {IDC_MASTERS, 90}};
const std::vector<RowCell> SeatRow = {{IDC_WATCH_TEXT, 380, true}, {0, 2}, {IDC_WATCH_STOP, 90}};
const std::vector<RowCell> FriendsRow = {{IDC_FRIENDS_TITLE, 50},
                                         {IDC_FRIEND_TEXT, 60, true},
                                         {0, 4},
                                         {IDC_FRIEND_ADD, 80},
                                         {IDC_FRIEND_REMOVE, 70}};

int RowWidth(const std::vector<RowCell>& cells) {
    int width = 0;
    for (size_t i = 0; i < cells.size(); ++i)
        width += cells[i].width + (cells[i].id && i + 1 < cells.size() ? Spacing : 0);
    return width;
}

std::vector<RowSpan> PlaceRow(const std::vector<RowCell>& cells, int width, int dpi) {
    const auto stretching =
        std::find_if(cells.begin(), cells.end(), [](const RowCell& cell) { return cell.stretches; });
    const size_t stretch = static_cast<size_t>(stretching - cells.begin());
    std::vector<RowSpan> spans(cells.size());
    // From the left up to the stretching cell, in units summed before scaling (no rounding
    // adds up along the row); from the right after it.
    int x = 0;
    for (size_t i = 0; i < cells.size() && i <= stretch; ++i) {
        spans[i] = {Scaled(x, dpi), Scaled(x + cells[i].width, dpi)};
        x += cells[i].width + (cells[i].id && i + 1 < cells.size() ? Spacing : 0);
    }
    if (stretch == cells.size()) return spans;
    int fromRight = 0;
    for (size_t i = cells.size() - 1; i > stretch; --i) {
        spans[i] = {width - Scaled(fromRight + cells[i].width, dpi), width - Scaled(fromRight, dpi)};
        fromRight += cells[i].width + (cells[i - 1].id ? Spacing : 0);
    }
    spans[stretch].right = std::max(spans[stretch].left, width - Scaled(fromRight, dpi));
    return spans;
}

PartAreas LayOutParts(int width, int height, int statusHeight, int dpi) {
    const auto px = [dpi](int units) { return Scaled(units, dpi); };
    PartAreas at;
    at.status = PartArea{0, height - statusHeight, width, height};
    const int margin = px(Margin);
    const int right = width - margin;
    const int inner = right - margin;
    int y = margin;
    at.commands = PartArea{margin, y, right, y + px(RowHeight)};
    y += px(RowHeight + 4);
    // The filters' two rows at the left; quick connect at the first one's right end, the masters'
    // buttons at the second one's.
    const int filtersRight = margin + px(FiltersWidth());
    at.filters = PartArea{margin, y, filtersRight, y + px(RowStep + ControlHeight)};
    at.quick = PartArea{std::max(filtersRight + px(SideGap), right - px(QuickWidth)), y, right,
                        y + px(ControlHeight)};
    const int mastersWidth = px(RowWidth(MastersRow));
    const std::vector<RowSpan> masters = PlaceRow(MastersRow, mastersWidth, dpi);
    const int rowTwo = y + px(RowStep);
    const int mastersLeft = right - mastersWidth;
    at.getMasters = PartArea{mastersLeft + masters[0].left, rowTwo, mastersLeft + masters[0].right,
                             rowTwo + px(ControlHeight)};
    at.masters = PartArea{mastersLeft + masters[1].left, rowTwo, mastersLeft + masters[1].right,
                          rowTwo + px(ControlHeight)};
    y += px(RowStep + ControlHeight + 6);
    // What is left between the filters and the log: 55 parts list, 45 parts details.
    const int logTop = height - statusHeight - margin - px(LogHeight);
    const int shared = logTop - margin - y - px(LineHeight + 8);
    const int listHeight = std::max(px(LeastList), shared * 55 / 100);
    at.list = PartArea{margin, y, right, y + listHeight};
    y += listHeight + px(2);
    const int seatsRight = margin + inner * 65 / 100;
    at.seats = PartArea{margin, y, seatsRight, y + px(LineHeight + 4)};
    at.handedBack = PartArea{seatsRight + px(10), y, right, y + px(LineHeight + 2)};
    y += px(LineHeight + 6);
    at.details = PartArea{margin, y, right, y + std::max(px(LeastDetails), logTop - margin - y)};
    // The friends take 45 parts of the width, at most FriendsWidth; the log the rest.
    const int friendsLeft = right - std::min(px(FriendsWidth), inner * 45 / 100);
    at.log = PartArea{margin, logTop, friendsLeft - margin, logTop + px(LogHeight)};
    at.friends = PartArea{friendsLeft, logTop, right, logTop + px(LogHeight)};
    return at;
}

ClientSize SmallestClient(int statusHeight, int dpi) {
    const auto px = [dpi](int units) { return Scaled(units, dpi); };
    const int sides = 2 * px(Margin);
    const int besideFilters = std::max(px(RowWidth(QuickRow)), px(RowWidth(MastersRow)));
    // The inner width each share of it needs: the seat watch's line 65 parts, the friends 45.
    const int inner = std::max({px(RowWidth(CommandRow)), px(FiltersWidth()) + px(SideGap) + besideFilters,
                                WholeFor(px(RowWidth(SeatRow)), 65), WholeFor(px(RowWidth(FriendsRow)), 45),
                                px(LeastLog) + px(Margin) + px(RowWidth(FriendsRow)), px(LeastDetailsWidth)});
    const int top = px(Margin) + px(RowHeight + 4) + px(RowStep + ControlHeight + 6);
    const int shared = std::max(WholeFor(px(LeastList), 55), WholeFor(px(LeastDetails), 45)) + 1;
    return ClientSize{sides + inner + 2, top + shared + px(LineHeight + 8) + px(Margin) + px(LogHeight) +
                                             px(Margin) + statusHeight};
}
