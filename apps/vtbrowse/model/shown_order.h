// The rows a list shows: the ids a filter lets through, in order, with each one's place; and
// whether the answers since the order was made leave it as making it again would. A list of
// thousands takes answers in five times a second: it sorts again only when one moved a row, and
// then only the rows answered, merged back among the others.
// Portable: tested natively.
#pragma once

#include <optional>
#include <vector>

#include "apps/vtbrowse/model/server_table.h"

class ShownOrder {
public:
    // Asks table for the rows filter lets through, in order.
    void Make(const ServerTable& table, const RowFilter& filter, const RowOrder& order);
    // Whether the rows of answered, answered since Make, leave the order as Make would make it
    // now: each shown one still passes and stands between its neighbours, and no other passes.
    bool StillHolds(const ServerTable& table, const std::vector<ServerId>& answered) const;
    // The order Make would make now, when only the rows of answered changed since the last Make
    // or Reorder: those rows taken out, sorted and merged back among the others.
    void Reorder(const ServerTable& table, const std::vector<ServerId>& answered);

    const std::vector<ServerId>& Ids() const { return ids_; }
    std::optional<size_t> PlaceOf(ServerId id) const;

private:
    void Place();

    RowFilter filter_;
    RowOrder order_;
    std::vector<ServerId> ids_;
    // By id (ids are small and given in turn): the place + 1, 0 when not shown. A vector that
    // keeps its memory, where a hash of 20,000 rows would make and free a node for each at
    // every batch of answers, in the heap the pinging workers use.
    std::vector<size_t> placeOf_;
    std::vector<const ServerRow*> kept_;  // Reorder's, kept for its memory
};
