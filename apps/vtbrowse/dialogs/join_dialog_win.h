// The join dialog: the game's executable, the launch options the plugin offered for the server
// (their names as labels, their descriptions as hints), the player name and config file the host
// keeps under its own labels, and extra parameters with <address>; for a seat watch, its pace and
// time too.
#pragma once

#include "apps/vtbrowse/model/browser_model.h"
#include "common/contract/windows_headers.h"

// Shows the dialog for row, filled from choice; true, with choice updated, when the user chose to
// join. With waitForSeat it asks for the seat watch's pace and time too and its button waits.
bool AskJoin(HWND owner, const ServerRow& row, JoinChoice& choice, bool waitForSeat);
// The join of id the user asked for: when the model can join it, the dialog over owner, and what
// the user chose to the model (the game starts, or a seat watch).
void AskAndJoin(HWND owner, BrowserModel& model, ServerId id, bool waitForSeat);
