// What the masters' lists do to vtbrowse's list: one table of fetches over rows of every origin.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "apps/vtbrowse/master_merge.h"

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

std::string Text(const std::vector<ServerRow>& rows) {
    std::string text;
    for (const ServerRow& row : rows) {
        text += (text.empty() ? "" : " | ") + row.address.address + (row.origin.byHand ? " hand" : "") +
                (row.origin.favourite ? " fav" : "");
        for (const std::string& master : row.origin.masters) text += " " + master;
        if (row.origin.notListed) text += " !listed";
    }
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
        std::vector<ServerRow> rows;
        for (const std::string& row : Split(c.before, '|'))
            rows.push_back(Row(ServerId(rows.size() + 1), row));
        const std::vector<ServerRow> before = rows;
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
        ServerId nextId = 100;
        const MastersMerge merge = MergeMasterLists(rows, outcomes, nextId);
        EXPECT_EQ(Text(rows), c.after);

        // What the window hands on: the rows added, taken off and to refresh, and the marked count.
        std::vector<ServerId> added, removed, listed;
        for (const ServerRow& row : rows) {
            if (row.id >= 100) added.push_back(row.id);
            if (std::count(fetched.begin(), fetched.end(), row.address.address)) listed.push_back(row.id);
        }
        for (const ServerRow& row : before) {
            if (std::none_of(rows.begin(), rows.end(), [&](const ServerRow& r) { return r.id == row.id; }))
                removed.push_back(row.id);
        }
        std::vector<ServerId> addedIds;
        for (const auto& [id, server] : merge.added) addedIds.push_back(id);
        EXPECT_EQ(addedIds, added);
        EXPECT_EQ(nextId, 100 + added.size());
        EXPECT_EQ(merge.removed, removed);
        EXPECT_THAT(merge.listed, ::testing::UnorderedElementsAreArray(listed));
        EXPECT_EQ(merge.notListed, Split(c.after, '!').size() - 1);
    }
}

// The settings file keeps servers by hand as "server" lines and the masters' as "listed" lines;
// read back as the window reads them (by hand first), every origin is as it was, but a server
// neither by hand nor listed (a favourite the masters dropped), which is kept as by hand.
TEST(MasterMerge, OriginsKeptInTheSettingsComeBack) {
    std::vector<ServerAddress> servers;
    std::vector<ListedByMasters> listed;
    StoreOrigins({Row(1, "s1 hand A"), Row(2, "s2 A B"), Row(3, "s3 hand"), Row(4, "s4")}, servers, listed);
    std::vector<ServerRow> read;
    for (const ServerAddress& server : servers)
        read.push_back(Row(ServerId(read.size() + 1), server.address + " hand"));
    ServerId nextId = 10;
    const auto added = RestoreListed(read, listed, nextId);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].second.address, "s2");
    EXPECT_EQ(Text(read), "s1 hand A | s3 hand | s4 hand | s2 A B");
}

}  // namespace
