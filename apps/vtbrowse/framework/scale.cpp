#include "apps/vtbrowse/framework/scale.h"

#include <algorithm>

namespace {

constexpr int Spacing = 4;  // between two controls of a row

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
