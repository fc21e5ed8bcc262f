// vtbrowse's server table: what each change does to the rows and their indexes, and what the
// masters' lists do to it: one table of fetches over rows of every origin.
#include "apps/vtbrowse/model/server_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::istringstream in(text);
    std::vector<std::string> parts;
    for (std::string part; std::getline(in, part, separator);) {
        if (!part.empty()) parts.push_back(part);
    }
    return parts;
}

// "s1 hand fav A B !listed": server s1 (port 1), added by hand, a favourite, listed by masters A
// and B, marked not listed.
ServerRow Row(ServerId id, const std::string& text) {
    const std::vector<std::string> words = Split(text, ' ');
    ServerRow row;
    row.id = id;
    row.address = {words[0], 1};
    for (size_t i = 1; i < words.size(); ++i) {
        ServerOrigin& origin = row.origin;
        if (words[i] == "hand" || words[i] == "fav" || words[i] == "!listed") {
            (words[i] == "hand"  ? origin.byHand
             : words[i] == "fav" ? origin.favourite
                                 : origin.notListed) = true;
        } else {
            origin.masters.push_back(words[i]);
        }
    }
    return row;
}

std::string Text(const ServerTable& rows) {
    std::string text;
    rows.ForEach([&](const ServerRow& row) {
        text += (text.empty() ? "" : " | ") + row.address.address + (row.origin.byHand ? " hand" : "") +
                (row.origin.favourite ? " fav" : "");
        for (const std::string& master : row.origin.masters) text += " " + master;
        if (row.origin.notListed) text += " !listed";
    });
    return text;
}

std::vector<ServerRow> Rows(const char* text) {
    std::vector<ServerRow> rows;
    for (const std::string& row : Split(text, '|')) rows.push_back(Row(ServerId(rows.size() + 1), row));
    return rows;
}

// master's list, with status, of the servers named ("s1 s2"), each on port 1.
MasterOutcome Listing(const std::string& master, MasterStatus status, const std::string& names) {
    MasterOutcome outcome;
    outcome.master = master;
    outcome.status = status;
    for (const std::string& name : Split(names, ' ')) outcome.servers.push_back({name, 1});
    return outcome;
}

// What a change did to the rows: " +3" a row added, " -2" removed.
std::string Told(const AddedRows& added, const std::vector<ServerId>& removed) {
    std::string told;
    for (const ServerId id : removed) told += " -" + std::to_string(id);
    for (const auto& [id, server] : added) told += " +" + std::to_string(id);
    return told;
}

// Merges outcomes into rows whole (slice 0) or slice steps at a time; told says what each slice
// did to the rows.
MastersMerge Merge(ServerTable& rows, const std::vector<MasterOutcome>& outcomes, size_t slice,
                   std::string& told) {
    if (slice == 0) {
        const MastersMerge merge = rows.MergeMasterLists(outcomes);
        told = Told(merge.added, merge.removed);
        return merge;
    }
    AddedRows added;
    std::vector<ServerId> removed;
    rows.StartMerge(outcomes, added, removed);
    for (int slices = 0; slices < 1000 && !rows.MergeSlice(slice, added, removed); ++slices) {
        told += Told(added, removed);
        added.clear(), removed.clear();
    }
    told += Told(added, removed);
    std::vector<MasterOutcome> back;
    const MastersMerge merge = rows.TakeMerge(back);
    EXPECT_EQ(back.size(), outcomes.size());
    EXPECT_FALSE(rows.Merging());
    return merge;
}

struct Fetched {
    const char* master;
    MasterStatus status;
    const char* servers;
};

TEST(MasterMerge, EachFetchAddsWhatIsNewAndTakesOffOnlyWhatCompleteListsDropped) {
    using S = MasterStatus;
    const struct {
        const char* what;
        const char* before;
        std::vector<Fetched> fetch;
        const char* after;  // new servers appended, those taken off gone
    } cases[] = {
        {"new servers follow the list, each once, in the masters' order",
         "s1 hand",
         {{"A", S::Complete, "s2 s1 s3"}, {"B", S::Complete, "s3 s4"}},
         "s1 hand A | s2 A | s3 A B | s4 B"},
        {"a complete list drops what it no longer holds; by hand or never listed stays",
         "s1 A | s2 A | s3 hand A | s4 hand | s5",
         {{"A", S::Complete, "s1"}},
         "s1 A | s3 hand | s4 hand | s5"},
        {"a master that failed keeps naming its servers",
         "s1 A B | s2 B",
         {{"A", S::Complete, ""}, {"B", S::NoAnswer, ""}},
         "s1 B | s2 B"},
        {"failures of every kind take nothing off",
         "s1 A | s2 B",
         {{"A", S::BadReply, ""}, {"B", S::Unresolved, ""}},
         "s1 A | s2 B"},
        {"a partial or cancelled list only adds",
         "s1 A | s2 A",
         {{"A", S::Partial, "s2 s3"}},
         "s1 A | s2 A | s3 A"},
        {"a master taken off the masters list is forgotten",
         "s1 A | s2 A B",
         {{"B", S::Complete, "s2"}},
         "s2 B"},
        {"a favourite no master lists stays, marked; one never listed is not",
         "s1 fav A | s2 fav | s3 hand fav A",
         {{"A", S::Complete, ""}},
         "s1 fav !listed | s2 fav | s3 hand fav !listed"},
        {"a favourite listed again is no longer marked",
         "s1 fav !listed | s2 fav !listed",
         {{"B", S::Complete, "s1"}},
         "s1 fav B | s2 fav !listed"},
    };
    // Whole, and a slice of 1, 2 and 3 steps at a time: the same rows, told the same.
    for (const auto& c : cases) {
        for (const size_t slice : {0, 1, 2, 3}) {
            SCOPED_TRACE(std::string(c.what) + ", slice " + std::to_string(slice));
            const std::vector<ServerRow> before = Rows(c.before);
            ServerTable rows(before);
            std::vector<MasterOutcome> outcomes;
            std::vector<std::string> fetched;
            for (const Fetched& f : c.fetch) {
                outcomes.push_back(Listing(f.master, f.status, f.servers));
                for (const std::string& server : Split(f.servers, ' ')) fetched.push_back(server);
            }
            std::string slicesTold;
            const MastersMerge merge = Merge(rows, outcomes, slice, slicesTold);
            EXPECT_EQ(Text(rows), c.after);

            // What the window hands on: the rows added, taken off and to refresh, and the marked count;
            // both indexes agree with the rows.
            std::vector<ServerId> added, removed, listed;
            std::string told;
            for (const ServerRow& row : before) {
                if (rows.Find(row.id)) continue;
                removed.push_back(row.id);
                EXPECT_EQ(rows.Find(row.address), nullptr);
            }
            for (const ServerId id : removed) told += " -" + std::to_string(id);
            size_t count = 0;
            rows.ForEach([&](const ServerRow& row) {
                EXPECT_EQ(rows.Find(row.address), &row);
                EXPECT_EQ(rows.Find(row.id), &row);
                ++count;
                if (row.id > before.size()) added.push_back(row.id), told += " +" + std::to_string(row.id);
                if (std::count(fetched.begin(), fetched.end(), row.address.address)) listed.push_back(row.id);
            });
            std::vector<ServerId> addedIds;
            for (const auto& [id, server] : merge.added) addedIds.push_back(id);
            EXPECT_EQ(addedIds, added);
            EXPECT_EQ(merge.removed, removed);
            EXPECT_EQ(rows.Size(), count);
            EXPECT_THAT(merge.listed, ::testing::UnorderedElementsAreArray(listed));
            EXPECT_EQ(merge.notListed, Split(c.after, '!').size() - 1);
            EXPECT_EQ(slicesTold, told);
        }
    }
}

// What the user does while a fetch is merged a step at a time comes after the merge: one master,
// complete, lists the servers; the act comes after the given number of steps (reading the list
// takes one a server, the walk one a row there before, the new ones one each).
TEST(MasterMerge, WhatIsDoneBetweenSlicesComesAfterTheMerge) {
    const struct {
        const char* what;
        const char* before;
        const char* listed;
        int steps;
        // The act, and what it did to the rows.
        std::function<std::string(ServerTable&)> act;
        const char* after;
        const char* told;  // by the slices and the act, in turn
    } cases[] = {
        {"a row removed before the walk reached it is not brought back", "s1 A | s2 A", "s1 s2 s3", 3,
         [](ServerTable& rows) { return Told({}, rows.Remove({2})); }, "s1 A | s3 A", " -2 +3"},
        {"a row removed once walked stays removed", "s1 A | s2 A", "s1 s2 s3", 4,
         [](ServerTable& rows) { return Told({}, rows.Remove({1})); }, "s2 A | s3 A", " -1 +3"},
        {"a row the merge added, removed, stays removed", "", "s1 s2", 3,
         [](ServerTable& rows) { return Told({}, rows.Remove({1})); }, "s2 A", " +1 -1 +2"},
        {"a server added by hand before its turn takes the master, added once", "s1 A", "s1 s2", 3,
         [](ServerTable& rows) {
             return Told(rows.AddByHand({{"s2", 1}}), {});
         },
         "s1 A | s2 hand A", " +2"},
        {"removed and added back by hand before its turn: listed again", "s1 A", "s1", 1,
         [](ServerTable& rows) {
             const std::string removed = Told({}, rows.Remove({1}));
             return removed + Told(rows.AddByHand({{"s1", 1}}), {});
         },
         "s1 hand A", " -1 +2"},
        {"a favourite starred before the walk reaches it stays, not listed", "s1 A | s2 A", "s1", 1,
         [](ServerTable& rows) {
             rows.ToggleFavourites({2});
             return std::string();
         },
         "s1 A | s2 fav !listed", ""},
        {"a fetch that comes meanwhile waits for this one to end", "s1 A", "s2", 1,
         [](ServerTable& rows) {
             AddedRows added;
             std::vector<ServerId> removed;
             rows.StartMerge({Listing("A", MasterStatus::Complete, "s3")}, added, removed);
             return Told(added, removed);
         },
         "s3 A", " -1 +2 -2 +3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ServerTable rows(Rows(c.before));
        AddedRows added;
        std::vector<ServerId> removed;
        const auto slice = [&] {
            const bool over = rows.MergeSlice(1, added, removed);
            const std::string told = Told(added, removed);
            added.clear(), removed.clear();
            return std::pair(over, told);
        };
        std::string told;
        rows.StartMerge({Listing("A", MasterStatus::Complete, c.listed)}, added, removed);
        for (int step = 0; step < c.steps; ++step) {
            const auto [over, did] = slice();
            ASSERT_FALSE(over);
            told += did;
        }
        told += c.act(rows);
        for (bool over = false; !over;) {
            const auto [last, did] = slice();
            over = last;
            told += did;
        }
        EXPECT_EQ(Text(rows), c.after);
        EXPECT_EQ(told, c.told);
    }
}

// Rows are found by address: an IPv4 address written the usual way is kept packed with its port,
// any other by its text; two addresses are one row exactly when texts and ports are equal.
TEST(ServerTable, AnAddressFindsItsRowExactlyWhenTextAndPortAreEqual) {
    const struct {
        ServerAddress listed, asked;
        bool found;
    } cases[] = {
        {{"127.0.0.1", 28001}, {"127.0.0.1", 28001}, true},
        {{"255.255.255.254", 65535}, {"255.255.255.254", 65535}, true},
        {{"127.0.0.1", 28001}, {"127.0.0.1", 28002}, false},
        {{"127.0.0.1", 28001}, {"127.0.0.2", 28001}, false},
        {{"127.0.0.1", 28001}, {"127.0.1.1", 28001}, false},
        {{"127.0.0.1", 28001}, {"127.1.0.1", 28001}, false},
        {{"127.0.0.1", 28001}, {"128.0.0.1", 28001}, false},
        {{"127.0.0.1", 28001}, {"127.0.0.01", 28001}, false},
        {{"127.0.0.1", 28001}, {"localhost", 28001}, false},
        {{"1.2.3.4", 1}, {"1.2.3.4.5", 1}, false},
        {{"1.2.3.4", 1}, {"1.2.3.256", 1}, false},
        {{"localhost", 28001}, {"localhost", 28001}, true},
        {{"localhost", 28001}, {"localhost", 28002}, false},
        {{"::1", 28001}, {"::1", 28001}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listed.Text() + " and " + c.asked.Text());
        ServerTable rows;
        rows.AddByHand({c.listed});
        EXPECT_EQ(rows.Find(c.asked) != nullptr, c.found);
        EXPECT_EQ(rows.AddByHand({c.asked}).size(), c.found ? 0u : 1u);
        EXPECT_NE(rows.Find(c.listed), nullptr);
    }
}

}  // namespace
