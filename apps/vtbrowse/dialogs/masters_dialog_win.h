// The dialog that edits the master servers vtbrowse asks for servers: add, change and remove
// HOST[:PORT] entries, put the community masters back, and whether to ask them at start.
#pragma once

#include <vector>

#include "apps/vtbrowse/model/browser_model.h"
#include "common/contract/windows_headers.h"

// Shows choice for editing; true with choice changed when the user chose OK.
bool AskMasters(HWND owner, MasterChoice& choice);
