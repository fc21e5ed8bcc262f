// How the parts that show the model hear of it: one notice for everything the model did in one
// call (one batch of the plugin's events, one user's action), after it is done. A part then asks
// the model for what it shows; nothing of the model's storage is kept between notices but ids.
#pragma once

#include <string>
#include <vector>

#include "apps/vtbrowse/model/server_rows.h"

struct ModelChange {
    AddedRows added;                 // rows appended (the plugin's side lists them)
    std::vector<ServerId> removed;   // rows taken off: no longer found
    std::vector<ServerId> answered;  // rows a ping of ended, in the order they ended
    bool shown = false;              // the ids the list shows or their order changed (filter, order, rows)
    bool focus = false;              // another server's details are to be shown (Focused)
    ServerId chosen = 0;             // a server chosen (found, a friend's, handed back): selected alone
    bool refreshEnded = false;       // a refresh ended: every server's answer may be new
    bool choices = false;            // the filter's choices (FilterChoices) changed
    bool friends = false;            // the friends, or where they play, changed
    bool seatWatch = false;          // the seat watch started, looked, or ended
    bool handedBack = false;         // the plugin passed a server back (HandedBack)
    bool settings = false;           // settings a pane shows changed (the automatic refresh)
    bool status = false;             // a refresh or a fetch started, went on, or is being cancelled
    std::vector<std::wstring> log;   // lines for the log, in order
    std::wstring hint;               // for the status bar, in place of the activity until the next notice
    std::wstring balloonTitle;       // friends appeared: a balloon from the notification area
    std::wstring balloonText;
};

class ModelObserver {
public:
    // Called on the model's thread after the change, once for the whole of it.
    virtual void Changed(const ModelChange& change) = 0;

protected:
    ~ModelObserver() = default;
};
