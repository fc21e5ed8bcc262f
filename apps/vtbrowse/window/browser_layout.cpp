#include "apps/vtbrowse/window/browser_layout.h"

#include <algorithm>

#include "apps/vtbrowse/panes/pane_rows.h"

namespace {

constexpr int Margin = 6;
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
    const int rowTwo = y + px(RowStep);
    at.masters = PartArea{right - px(RowWidth(MastersRow)), rowTwo, right, rowTwo + px(ControlHeight)};
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
