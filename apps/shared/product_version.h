// What the release says of itself, as the top CMakeLists.txt sets it (one place for all of it):
// vtquery --version and vtbrowse's About box show it.
#pragma once

// "Tribes.vtplugin"
const char* ProductName();
// The release's version, "MAJOR.MINOR.PATCH".
const char* ProductVersion();
// The copyright line, years and holder.
const char* ProductCopyright();
