// How many workers a host program's refresh pings with.
#pragma once

#include "runner/refresh.h"

// requested > 0: exactly that many. Otherwise 16 per processor (32 to 64) pinging at once, and as
// many more as servers keep waiting, up to 256: a silent server costs a worker its whole budget
// but no processor time, so it must not hold up the rest of the list.
WorkerPlan RefreshWorkers(int requested, unsigned processors);
