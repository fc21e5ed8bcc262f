// Where the main window's parts go in its client area: the command bar, two rows of filters with
// quick connect and the masters' buttons at their ends, the server list, the line for the server
// the plugin handed back beside the seat watch's, the details, the log beside the friends and the
// status bar. The list and the details share what the height leaves them. Portable: tested natively.
#pragma once

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

// The parts' areas in a client area of width x height whose status bar is statusHeight high.
PartAreas LayOutParts(int width, int height, int statusHeight);
