// The program's command line as the host programs parse it.
#pragma once

#include <string>
#include <vector>

// The arguments after the program name, as UTF-8 whatever the ANSI code page.
std::vector<std::string> ProgramArguments();
