// The panes' rows of controls, left to right, in 96-DPI units: each control as wide as its text in
// the message font at every scale, with a tenth or more to spare for a font wider than the one it
// was measured in (the window's tests measure them). The window's layout makes room for them.
// Portable: tested natively.
#pragma once

#include <vector>

#include "apps/vtbrowse/framework/scale.h"

// The heights of the panes' rows of controls, and the step from one row to the next.
constexpr int RowHeight = 24;  // the command bar's buttons
constexpr int ControlHeight = 22;
constexpr int RowStep = 28;

extern const std::vector<RowCell> CommandRow;
extern const std::vector<RowCell> FilterRows[2];
extern const std::vector<RowCell> QuickRow;
extern const std::vector<RowCell> MastersRow;
extern const std::vector<RowCell> SeatRow;
extern const std::vector<RowCell> FriendsRow;
