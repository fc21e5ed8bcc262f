#include "apps/vtbrowse/browser_layout.h"

#include <algorithm>

namespace {

constexpr int Margin = 6;
constexpr int RowHeight = 24;
constexpr int LineHeight = 18;
constexpr int LogHeight = 128;

}  // namespace

PartAreas LayOutParts(int width, int height, int statusHeight) {
    PartAreas at;
    at.status = PartArea{0, height - statusHeight, width, height};
    const int right = width - Margin;
    const int inner = right - Margin;
    int y = Margin;
    at.commands = PartArea{Margin, y, right, y + RowHeight};
    y += RowHeight + 4;
    // The filters take two rows; quick connect stands at the first one's right end, the masters'
    // buttons at the second one's.
    at.quick = PartArea{std::max(600, right - 330), y, right, y + RowHeight - 2};
    const int mastersLeft = std::max(Margin + 724, right - 214);
    at.filters = PartArea{Margin, y, mastersLeft - 8, y + 2 * RowHeight + 2};
    y += RowHeight + 4;
    at.getMasters = PartArea{mastersLeft, y, mastersLeft + 120, y + RowHeight - 2};
    at.masters = PartArea{mastersLeft + 124, y, mastersLeft + 214, y + RowHeight - 2};
    y += RowHeight + 4;
    // What is left between the filters and the log: 55 parts list, 45 parts details.
    const int logTop = height - statusHeight - Margin - LogHeight;
    const int listHeight = std::max(120, logTop - y - LineHeight - 4 - 2 * Margin) * 55 / 100;
    at.list = PartArea{Margin, y, right, y + listHeight};
    y += listHeight + 2;
    const int seatsRight = Margin + inner * 65 / 100;
    at.seats = PartArea{Margin, y, seatsRight, y + LineHeight + 4};
    at.handedBack = PartArea{seatsRight + 10, y, right, y + LineHeight + 2};
    y += LineHeight + 6;
    at.details = PartArea{Margin, y, right, y + std::max(60, logTop - Margin - y)};
    // The friends take at most 460 pixels, the log the rest.
    const int friendsLeft = right - std::min(460, inner * 45 / 100);
    at.log = PartArea{Margin, logTop, friendsLeft - Margin, logTop + LogHeight};
    at.friends = PartArea{friendsLeft, logTop, right, logTop + LogHeight};
    return at;
}
