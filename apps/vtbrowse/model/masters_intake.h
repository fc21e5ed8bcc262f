// A fetch from master servers as the model takes it: counted while the masters answer (and worded
// for the status bar and the log), then its lists merged into the server table a slice at a time,
// shown, the servers they listed refreshed and the settings saved, each a step of its own so that
// the window answers between them however long the lists. The fetch counts as running until its
// lists are merged: no other starts before. Portable: tested natively.
#pragma once

#include <string>
#include <vector>

#include "apps/vtbrowse/model/master_tally.h"
#include "apps/vtbrowse/model/server_table.h"

class MastersIntake {
public:
    enum class Step { Merged, Shown, Refresh, Save, Done };

    bool Running() const { return tally_.Running(); }
    bool Cancelling() const { return tally_.Cancelling(); }
    std::wstring Activity() const { return tally_.Activity(); }
    void Start(size_t masters) { tally_.Start(masters); }
    void Cancel() { tally_.Cancel(); }
    void Ended(const MasterOutcome& outcome) { tally_.Ended(outcome); }

    // The fetch ended with outcomes: its merge starts (the rows a merge still running changed as
    // it finishes go into added and removed). What the fetch before has still to do comes first:
    // refreshLeft and saveLeft say what.
    void Fetched(ServerTable& table, std::vector<MasterOutcome> outcomes, double seconds, bool cancelled,
                 AddedRows& added, std::vector<ServerId>& removed, bool& refreshLeft, bool& saveLeft);
    // Takes the next step: a slice of the merge (rows into added and removed), the fetch's line
    // for the log (into line: the list is to be shown), the refresh of the servers listed
    // (TakeListed), the save; Done when nothing was left.
    Step Next(ServerTable& table, AddedRows& added, std::vector<ServerId>& removed, std::wstring& line);
    // The servers the fetches listed that are still in table, each once; they are forgotten.
    std::vector<ServerId> TakeListed(const ServerTable& table);
    bool HasListed() const { return !listed_.empty(); }

private:
    MasterTally tally_;
    Step next_ = Step::Done;        // the step to take next
    double seconds_ = 0;            // the fetch being taken in: how long it took, and
    bool cancelled_ = false;        // whether it was cancelled
    std::vector<ServerId> listed_;  // listed by masters and not refreshed yet
};
