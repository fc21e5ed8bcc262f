#include "apps/vtbrowse/framework/part_routes_win.h"

#include <algorithm>
#include <utility>

namespace {

// The key a message carries, for the messages a part takes by key.
std::optional<WPARAM> KeyOf(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_TIMER:
            return wParam;
        case WM_COMMAND:
            return LOWORD(wParam);
        case WM_SYSCOMMAND:
            return wParam & 0xFFF0;
        default:
            return std::nullopt;
    }
}

PartRoutes::Route Keyed(UINT message, WPARAM key, std::function<void()> take) {
    return PartRoutes::Route{message, key, [take = std::move(take)](WPARAM, LPARAM) -> LRESULT {
                                 take();
                                 return 0;
                             }};
}

}  // namespace

PartRoutes::Taken& PartRoutes::Taken::operator=(Taken&& other) noexcept {
    if (this != &other) {
        reset();
        routes_ = std::exchange(other.routes_, nullptr);
        part_ = other.part_;
    }
    return *this;
}

void PartRoutes::Taken::reset() {
    if (!routes_) return;
    std::vector<Entry>& entries = routes_->entries_;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [this](const Entry& entry) { return entry.part == part_; }),
                  entries.end());
    routes_ = nullptr;
}

PartRoutes::Route PartRoutes::Timer(UINT_PTR timer, std::function<void()> take) {
    return Keyed(WM_TIMER, timer, std::move(take));
}

PartRoutes::Route PartRoutes::Command(WORD command, std::function<void()> take) {
    return Keyed(WM_COMMAND, command, std::move(take));
}

PartRoutes::Route PartRoutes::SystemCommand(UINT command, std::function<void()> take) {
    return Keyed(WM_SYSCOMMAND, command, std::move(take));
}

PartRoutes::Taken PartRoutes::Take(std::vector<Route> routes) {
    const int part = ++parts_;
    for (Route& route : routes) entries_.push_back(Entry{part, std::move(route)});
    return Taken(*this, part);
}

bool PartRoutes::Pass(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    const std::optional<WPARAM> key = KeyOf(message, wParam);
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.route.message == message && (!entry.route.key || entry.route.key == key);
    });
    if (found == entries_.end()) return false;
    // A copy: the handler may open a dialog, whose messages come back here, or a part may go.
    const Handler handler = found->route.handler;
    result = handler(wParam, lParam);
    return true;
}
