#include "apps/vtbrowse/shown_order.h"

#include "apps/vtbrowse/player_filters.h"

void ShownOrder::Make(const ServerTable& table, const RowFilter& filter, const RowOrder& order) {
    filter_ = filter;
    order_ = order;
    table.VisibleOrder(filter, order, ids_);
    placeOf_.clear();
    placeOf_.reserve(ids_.size());
    for (size_t place = 0; place < ids_.size(); ++place) placeOf_.emplace(ids_[place], place);
}

std::optional<size_t> ShownOrder::PlaceOf(ServerId id) const {
    const auto found = placeOf_.find(id);
    return found == placeOf_.end() ? std::nullopt : std::optional<size_t>(found->second);
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
