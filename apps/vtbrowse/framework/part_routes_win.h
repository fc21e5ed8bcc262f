// The main window's messages that belong to a part owning no window of its own (the plugin's
// side, the master fetch, the hand-over receipt, the window's commands): each part registers what
// it takes with the window, which hands a message to the part that registered it before its own
// map sees it, so the window's map names no part's private message. A message is taken whole
// (its own number), or by the key it carries: a timer's id, a command's id (WM_COMMAND's low
// word), a system command (WM_SYSCOMMAND without the system's four low bits).
#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "common/contract/windows_headers.h"

class PartRoutes {
public:
    using Handler = std::function<LRESULT(WPARAM wParam, LPARAM lParam)>;
    struct Route {
        UINT message;
        std::optional<WPARAM> key;  // none: every message of that number
        Handler handler;
    };

    // What a part registered, taken until it goes (or is reset): a part whose going waits, and
    // takes sent messages meanwhile, lets go first.
    class Taken {
    public:
        Taken() = default;
        Taken(PartRoutes& routes, int part) : routes_(&routes), part_(part) {}
        Taken(Taken&& other) noexcept : routes_(std::exchange(other.routes_, nullptr)), part_(other.part_) {}
        Taken& operator=(Taken&& other) noexcept;
        ~Taken() { reset(); }
        void reset();

    private:
        PartRoutes* routes_ = nullptr;
        int part_ = 0;
    };

    static Route Message(UINT message, Handler handler) {
        return Route{message, std::nullopt, std::move(handler)};
    }
    static Route Timer(UINT_PTR timer, std::function<void()> take);
    static Route Command(WORD command, std::function<void()> take);
    static Route SystemCommand(UINT command, std::function<void()> take);

    PartRoutes() = default;
    PartRoutes(const PartRoutes&) = delete;
    PartRoutes& operator=(const PartRoutes&) = delete;

    [[nodiscard]] Taken Take(std::vector<Route> routes);
    // True when a part took message, with result as its result.
    bool Pass(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

private:
    struct Entry {
        int part;
        Route route;
    };
    std::vector<Entry> entries_;
    int parts_ = 0;
};
