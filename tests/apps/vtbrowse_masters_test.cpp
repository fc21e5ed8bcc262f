// vtbrowse's server table: what each change does to the rows, their indexes and the subscribers,
// and what the masters' lists do to it: one table of fetches over rows of every origin.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "apps/vtbrowse/master_tally.h"
#include "apps/vtbrowse/server_table.h"

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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ServerRow> before;
        for (const std::string& row : Split(c.before, '|'))
            before.push_back(Row(ServerId(before.size() + 1), row));
        ServerTable rows(before);
        std::vector<MasterOutcome> outcomes;
        std::vector<std::string> fetched;
        for (const Fetched& f : c.fetch) {
            outcomes.emplace_back();
            outcomes.back().master = f.master;
            outcomes.back().status = f.status;
            for (const std::string& server : Split(f.servers, ' ')) {
                outcomes.back().servers.push_back({server, 1});
                fetched.push_back(server);
            }
        }
        const MastersMerge merge = rows.MergeMasterLists(outcomes);
        EXPECT_EQ(Text(rows), c.after);

        // What the window hands on: the rows added, taken off and to refresh, and the marked count.
        std::vector<ServerId> added, removed, listed;
        rows.ForEach([&](const ServerRow& row) {
            if (row.id > before.size()) added.push_back(row.id);
            if (std::count(fetched.begin(), fetched.end(), row.address.address)) listed.push_back(row.id);
        });
        for (const ServerRow& row : before) {
            if (!rows.Find(row.id)) removed.push_back(row.id);
        }
        std::vector<ServerId> addedIds;
        for (const auto& [id, server] : merge.added) addedIds.push_back(id);
        EXPECT_EQ(addedIds, added);
        EXPECT_EQ(merge.removed, removed);
        EXPECT_THAT(merge.listed, ::testing::UnorderedElementsAreArray(listed));
        EXPECT_EQ(merge.notListed, Split(c.after, '!').size() - 1);
    }
}

// The fetch's last line: what the merge did and what the entries came to, repeats within a list
// and between lists merged, entries left out counted by why over every master.
TEST(MasterTally, TheLastLineCountsEntriesRepeatsAndWhatWasLeftOut) {
    const auto outcome = [](int servers, int entries, int repeats, std::vector<Unusable> leftOut) {
        MasterOutcome made;
        made.status = MasterStatus::Complete;
        made.servers.resize(static_cast<size_t>(servers));
        made.entriesReceived = entries;
        made.repeats = repeats;
        for (const Unusable why : leftOut) made.leftOut.Count(why);
        return made;
    };
    const struct {
        const char* what;
        std::vector<MasterOutcome> outcomes;
        size_t listed;
        bool cancelled;
        const wchar_t* line;
    } cases[] = {
        {"nothing received",
         {outcome(0, 0, 0, {})},
         0,
         false,
         L"Got 0 servers from 1 of 1 master in 0.25 s: 0 new, 0 taken off (no master lists them any more)"},
        {"repeats and unusable entries of one master",
         {outcome(3, 208, 200,
                  {Unusable::ThisNetwork, Unusable::Broadcast, Unusable::Multicast, Unusable::Multicast,
                   Unusable::PortZero})},
         3,
         false,
         L"Got 3 servers from 1 of 1 master in 0.25 s: 0 new, 0 taken off (no master lists them any more); "
         L"208 entries received, 200 repeats merged, left out 5 entries no server can have (1 in 0.0.0.0/8, "
         L"1 broadcast, 2 multicast, 1 port 0)"},
        {"a server two masters list is merged; left out summed over masters",
         {outcome(2, 3, 0, {Unusable::Reserved}), outcome(2, 2, 0, {}), MasterOutcome{}},
         3,
         true,
         L"Masters cancelled: got 3 servers from 2 of 3 masters in 0.25 s: 0 new, 0 taken off (no master "
         L"lists them any more); 5 entries received, 1 repeat merged, left out 1 entry no server can have "
         L"(1 reserved)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MasterTally tally;
        tally.Start(c.outcomes.size());
        MastersMerge merge;
        merge.listed.resize(c.listed);
        EXPECT_EQ(tally.End(c.outcomes, merge, 0.25, c.cancelled), c.line);
    }
}

// The settings file keeps servers by hand as "server" lines and the masters' as "listed" lines;
// read back as the window reads them (by hand first), every origin is as it was, but a server
// neither by hand nor listed (a favourite the masters dropped), which is kept as by hand.
TEST(MasterMerge, OriginsKeptInTheSettingsComeBack) {
    std::vector<ServerAddress> servers;
    std::vector<ListedByMasters> listed;
    ServerTable({Row(1, "s1 hand A"), Row(2, "s2 A B"), Row(3, "s3 hand"), Row(4, "s4")})
        .StoreOrigins(servers, listed);
    ServerTable read;
    read.AddByHand(servers);
    const auto added = read.RestoreListed(listed);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].second.address, "s2");
    EXPECT_EQ(Text(read), "s1 hand A | s3 hand | s4 hand | s2 A B");
}

// Every change in turn on one table: the rows after it ("id address origin"), what subscribers
// heard, and both indexes agree with the rows at every step.
TEST(ServerTable, EveryChangeKeepsItsIndexesAndIsToldToSubscribers) {
    struct Journal final : TableSubscriber {
        std::string told;
        void RowsAdded(const AddedRows& added) override {
            for (const auto& [id, server] : added) told += " +" + std::to_string(id);
        }
        void RowAnswered(const ServerRow& row, bool alone) override {
            told += (alone ? " =" : " ~") + std::to_string(row.id);
        }
        void RowsRemoved(const std::vector<ServerId>& ids) override {
            for (const ServerId id : ids) told += " -" + std::to_string(id);
        }
    };
    const auto servers = [](const std::string& names) {
        std::vector<ServerAddress> addresses;
        for (const std::string& name : Split(names, ' ')) addresses.push_back({name, 1});
        return addresses;
    };
    ServerTable table;
    const auto completeFromA = [&](const std::string& names) {
        std::vector<MasterOutcome> outcomes(1);
        outcomes[0].master = "A";
        outcomes[0].status = MasterStatus::Complete;
        outcomes[0].servers = servers(names);
        table.MergeMasterLists(outcomes);
    };
    const struct {
        const char* what;
        std::function<void()> change;
        const char* told;
        const char* rows;
    } steps[] = {
        {"servers by hand, each once", [&] { table.AddByHand(servers("s1 s2 s1")); }, " +1 +2",
         "1 s1 hand | 2 s2 hand"},
        {"a server again by hand adds nothing", [&] { table.AddByHand(servers("s2")); }, "",
         "1 s1 hand | 2 s2 hand"},
        {"removed once, unknown ids passed over",
         [&] {
             table.Remove({1, 9, 1});
         },
         " -1", "2 s2 hand"},
        {"an id is never given twice", [&] { table.AddByHand(servers("s1")); }, " +3",
         "2 s2 hand | 3 s1 hand"},
        {"answers, of a refresh and alone; none for a row gone",
         [&] {
             table.Answered(2, {}, false);
             table.Answered(3, {}, true);
             table.Answered(1, {}, false);
         },
         " ~2 =3", "2 s2 hand | 3 s1 hand"},
        {"listed by masters: known rows take them, new ones come",
         [&] {
             table.RestoreListed({{{"s2", 1}, {"B", "A"}}, {{"s4", 1}, {"A"}}});
         },
         " +4", "2 s2 hand A B | 3 s1 hand | 4 s4 A"},
        {"favourites: a new one is not listed", [&] { table.RestoreFavourites(servers("s4 s5")); }, " +5",
         "2 s2 hand A B | 3 s1 hand | 4 s4 fav A | 5 s5 fav !listed"},
        {"A alone, complete: its servers come, the rest lose A and B (not asked)",
         [&] { completeFromA("s6 s5"); }, " +6",
         "2 s2 hand | 3 s1 hand | 4 s4 fav !listed | 5 s5 fav A | 6 s6 A"},
        {"one without s6 takes it off, told before what came", [&] { completeFromA("s7"); }, " -6 +7",
         "2 s2 hand | 3 s1 hand | 4 s4 fav !listed | 5 s5 fav !listed | 7 s7 A"},
    };
    Journal journal;
    table.Subscribe(journal);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        journal.told.clear();
        step.change();
        EXPECT_EQ(journal.told, step.told);
        std::string rows;
        size_t count = 0;
        table.ForEach([&](const ServerRow& row) {
            std::string text = Text(ServerTable({row}));
            rows += (rows.empty() ? "" : " | ") + std::to_string(row.id) + " " + text;
            EXPECT_EQ(table.Find(row.id), &row);
            EXPECT_EQ(table.Find(row.address), &row);
            ++count;
        });
        EXPECT_EQ(rows, step.rows);
        EXPECT_EQ(table.Size(), count);
        EXPECT_EQ(table.Ids().size(), count);
    }
    EXPECT_EQ(table.Find(ServerAddress{"s6", 1}), nullptr);
    table.Unsubscribe(journal);
    journal.told.clear();
    table.Remove(table.Ids());
    EXPECT_EQ(journal.told, "");
    EXPECT_TRUE(table.Empty());
}

}  // namespace
