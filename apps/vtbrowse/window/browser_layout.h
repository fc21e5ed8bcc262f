// Where the main window's parts go in its client area: the command bar, two rows of filters with
// quick connect and the masters' buttons at their ends, the server list, the line for the server
// the plugin handed back beside the seat watch's, the details, the log beside the friends and the
// status bar. Every size is in 96-DPI units, scaled by the window's DPI, so the window looks the
// same at any scale. The list and the details share what the height leaves them. Portable: tested
// natively.
#pragma once

struct PartArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PartAreas {
    PartArea status, commands, quick, filters, masters, list, seats, handedBack, details, log, friends;
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
