// Sizes at the display's scale: every size of vtbrowse's windows is written in 96-DPI units (a
// pixel at 100 %) and scaled by the window's DPI; and a row of controls placed left to right, one
// cell of it stretching. Portable: tested natively.
#pragma once

#include <vector>

// units at dpi in pixels, rounded to the nearest as MulDiv rounds; and back.
int Scaled(int units, int dpi);
int Unscaled(int pixels, int dpi);

// One control of a pane's row, left to right: its id (resource_ids.h; 0 for a gap) and its width
// in 96-DPI units. The one cell that stretches takes what the row's width leaves (at least its
// width); the cells after it stand at the row's right end.
struct RowCell {
    int id;
    int width;
    bool stretches = false;
};
struct RowSpan {
    int left;
    int right;
};
// The least width of cells in units, the space between controls included.
int RowWidth(const std::vector<RowCell>& cells);
// Where each cell goes on a row width pixels wide at dpi.
std::vector<RowSpan> PlaceRow(const std::vector<RowCell>& cells, int width, int dpi);
