// The floor of a session's set-up and removal: network windows made from a dialog template like
// the plugin's, each starting the socket layer and making its wake-up semaphore when it is
// initialised, then destroyed the way the plugin destroys them (semaphore closed, socket layer
// cleaned up, window destroyed), and nothing else: no host objects, no registry, no commands.
#pragma once

#include <cstddef>

struct FloorWindowsTimes {
    double makeSeconds = 0;
    double destroySeconds = 0;
    std::size_t made = 0;  // windows that were made and initialised
};

// Makes count windows on a window thread of their own, children of its window, then destroys
// them there.
FloorWindowsTimes MakeAndDestroyFloorWindows(std::size_t count);
