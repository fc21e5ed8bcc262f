#include "apps/vtbrowse/model/shown_order.h"

#include <algorithm>
#include <unordered_set>

#include "apps/vtbrowse/model/player_filters.h"

void ShownOrder::Make(const ServerTable& table, const RowFilter& filter, const RowOrder& order) {
    filter_ = filter;
    order_ = order;
    table.VisibleOrder(filter, order, ids_);
    Place();
}

void ShownOrder::Place() {
    std::fill(placeOf_.begin(), placeOf_.end(), 0);
    for (size_t place = 0; place < ids_.size(); ++place) {
        const ServerId id = ids_[place];
        if (id >= placeOf_.size()) placeOf_.resize(static_cast<size_t>(id) + 1, 0);
        placeOf_[id] = place + 1;
    }
}

std::optional<size_t> ShownOrder::PlaceOf(ServerId id) const {
    if (id >= placeOf_.size() || placeOf_[id] == 0) return std::nullopt;
    return placeOf_[id] - 1;
}

bool ShownOrder::StillHolds(const ServerTable& table, const std::vector<ServerId>& answered) const {
    // The other rows did not change: the order holds when every pair of neighbours that holds an
    // answered row is still in order.
    for (const ServerId id : answered) {
        const ServerRow* row = table.Find(id);
        if (!row) continue;
        const std::optional<size_t> place = PlaceOf(id);
        if (Passes(*row, filter_) != place.has_value()) return false;
        if (!place) continue;
        const ServerRow* before = *place > 0 ? table.Find(ids_[*place - 1]) : nullptr;
        const ServerRow* after = *place + 1 < ids_.size() ? table.Find(ids_[*place + 1]) : nullptr;
        if (before && SortsBefore(*row, *before, order_)) return false;
        if (after && SortsBefore(*after, *row, order_)) return false;
    }
    return true;
}

void ShownOrder::Reorder(const ServerTable& table, const std::vector<ServerId>& answered) {
    const std::unordered_set<ServerId> changed(answered.begin(), answered.end());
    std::vector<const ServerRow*>& kept = kept_;
    kept.clear();
    for (const ServerId id : ids_) {
        const ServerRow* row = changed.count(id) ? nullptr : table.Find(id);
        if (row) kept.push_back(row);
    }
    std::vector<const ServerRow*> moved;
    for (const ServerId id : changed) {
        const ServerRow* row = table.Find(id);
        if (row && Passes(*row, filter_)) moved.push_back(row);
    }
    // No two rows sort level (the address decides last), so the merge is the one order.
    const auto before = [this](const ServerRow* a, const ServerRow* b) {
        return SortsBefore(*a, *b, order_);
    };
    std::sort(moved.begin(), moved.end(), before);
    ids_.resize(kept.size() + moved.size());
    auto next = ids_.begin();
    auto a = kept.begin();
    auto b = moved.begin();
    while (a != kept.end() || b != moved.end()) {
        const bool fromMoved = a == kept.end() || (b != moved.end() && before(*b, *a));
        *next++ = (fromMoved ? *b++ : *a++)->id;
    }
    kept.clear();  // no row of the table is kept past the call
    Place();
}
