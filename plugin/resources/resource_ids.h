// Ids of the module's resources that the plugin's code loads. tribes.rc includes this file too,
// so the resource compiler and the code cannot disagree.
#pragma once

#ifdef RC_INVOKED
// The resource compiler understands only preprocessor definitions.
#define IDS_IDENTITY 3
#define IDI_PLUGIN 120
#define IDD_NETWORK_MESSAGE 152
#define IDD_NETWORK_MESSAGE_SPARE 153
#else
constexpr int IdentityStringId = 3;          // the plugin's identity string (a GUID without braces)
constexpr int PluginIconId = 120;            // class icon of the command window
constexpr int NetworkMessageDialogId = 152;  // template of each server's network message window
#endif
