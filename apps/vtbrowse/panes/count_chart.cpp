#include "apps/vtbrowse/panes/count_chart.h"

#include <algorithm>

ChartLayout LayOutChart(const std::vector<CountPoint>& history, int maxPlayers, int width, int height) {
    ChartLayout layout;
    const size_t first = history.size() > ChartRefreshes ? history.size() - ChartRefreshes : 0;
    layout.top = std::max(maxPlayers, 1);
    for (size_t i = first; i < history.size(); ++i) {
        if (history[i]) layout.top = std::max(layout.top, *history[i]);
    }
    const size_t shown = history.size() - first;
    if (shown == 0 || width <= 0 || height <= 0) return layout;
    // One point alone stands at the right edge; more are spread from the left edge to the right.
    const int lastX = width - 1;
    const int lowestY = height - 1;
    std::vector<ChartPoint> run;
    for (size_t i = 0; i < shown; ++i) {
        const CountPoint& point = history[first + i];
        if (!point) {
            if (!run.empty()) layout.runs.push_back(std::move(run));
            run.clear();
            continue;
        }
        const int x = shown == 1 ? lastX : static_cast<int>(static_cast<long long>(lastX) * i / (shown - 1));
        const int count = std::clamp(*point, 0, layout.top);
        const int y = lowestY - static_cast<int>(static_cast<long long>(lowestY) * count / layout.top);
        run.push_back(ChartPoint{x, y});
    }
    if (!run.empty()) layout.runs.push_back(std::move(run));
    return layout;
}
