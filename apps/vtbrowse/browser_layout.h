// Where the main window's parts go in its client area: the command bar, two rows of filters with
// quick connect and the masters' buttons at their ends, the server list, the line for the server
// the plugin handed back beside the seat watch's, the details, the log beside the friends and the
// status bar; and the rows of controls inside the panes. Every size is in 96-DPI units (a pixel at
// 100 %), scaled by the window's DPI, so the window looks the same at any scale. The list and the
// details share what the height leaves them. Portable: tested natively.
#pragma once

#include <vector>

// units at dpi in pixels, rounded to the nearest as MulDiv rounds; and back.
int Scaled(int units, int dpi);
int Unscaled(int pixels, int dpi);

struct PartArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PartAreas {
    PartArea status, commands, quick, filters, getMasters, masters, list, seats, handedBack, details, log,
        friends;
};

// The parts' areas in a client area of width x height pixels whose status bar is statusHeight
// high, at dpi.
PartAreas LayOutParts(int width, int height, int statusHeight, int dpi);

struct ClientSize {
    int width = 0;
    int height = 0;
};
// The smallest client area in which every part and every row of controls has its room, at dpi.
ClientSize SmallestClient(int statusHeight, int dpi);

// One control of a pane's row, left to right: its id (browser_ids.h; 0 for a gap) and its width in
// 96-DPI units. The one cell that stretches takes what the row's width leaves (at least its width);
// the cells after it stand at the row's right end.
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

// The heights of the panes' rows of controls, and the step from one row to the next.
constexpr int RowHeight = 24;  // the command bar's buttons
constexpr int ControlHeight = 22;
constexpr int RowStep = 28;

// The panes' rows.
extern const std::vector<RowCell> CommandRow;
extern const std::vector<RowCell> FilterRows[2];
extern const std::vector<RowCell> QuickRow;
extern const std::vector<RowCell> MastersRow;  // the window's own two buttons
extern const std::vector<RowCell> SeatRow;
extern const std::vector<RowCell> FriendsRow;
