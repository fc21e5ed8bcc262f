#include "apps/shared/worker_plan.h"

#include <algorithm>

WorkerPlan RefreshWorkers(int requested, unsigned processors) {
    if (requested > 0) return {requested, requested};
    return {static_cast<int>(std::clamp(processors * 16u, 32u, 64u)), 256};
}
