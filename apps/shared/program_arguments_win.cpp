#include "apps/shared/program_arguments_win.h"

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"
#include "host/text/utf8_text.h"

std::vector<std::string> ProgramArguments() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const owners::unique_local_memory owned(arguments);
    std::vector<std::string> result;
    for (int i = 1; arguments && i < count; ++i) result.push_back(Utf8FromWide(arguments[i]));
    return result;
}
