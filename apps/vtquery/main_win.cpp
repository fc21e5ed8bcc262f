// vtquery: a command-line server browser that hosts Tribes.vtplugin as Vantor does.
#include <exception>

#include "apps/shared/host_paths_win.h"
#include "apps/shared/program_arguments_win.h"
#include "apps/shared/usable_address.h"
#include "apps/vtquery/console_win.h"
#include "apps/vtquery/jobs_win.h"
#include "apps/vtquery/masters_command_win.h"
#include "common/contract/windows_headers.h"
#include "host/runner/plugin_runner_win.h"
#include "host/text/utf8_text.h"

namespace {

// The line for a machine where no window can be made, which the plugin needs. Under Wine (whose
// ntdll says its version) the cause is a graphics driver without a display, the remedy the null one.
std::string NoWindowLine(const NoWindowError& error) {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        return std::string("vtquery: ") + error.what();
    }
    return "vtquery: cannot make the window that hosts the plugin: Wine's graphics driver has no display; "
           "where there is none, use Wine's null graphics driver: "
           "wine reg add 'HKCU\\Software\\Wine\\Drivers' /v Graphics /d null /f";
}

int Run() {
    const CommandLine commandLine = ParseCommandLine(ProgramArguments());
    switch (commandLine.kind) {
        case CommandLineKind::Help:
            WriteOut(commandLine.text);
            return ExitAllAnswered;
        case CommandLineKind::UsageError:
            WriteError(commandLine.text);
            return ExitUsage;
        case CommandLineKind::Run:
            break;
    }
    const QueryOptions& options = commandLine.options;
    if (options.launch) return RunLaunch(options, *options.launch);

    std::vector<ServerAddress> servers;
    ServerListError error;
    for (const std::string& text : options.servers) {
        ServerAddress server;
        ParseServerAddress(text, server, error);  // checked with the command line
        servers.push_back(server);
    }
    if (!options.serversFile.empty() && !ReadServerListFile(Utf8FromWide(FullHostPath(options.serversFile)),
                                                            servers, error, ParseUsableServerAddress)) {
        WriteError("vtquery: " + error.message + "\n" + UsageText());
        return ExitUsage;
    }
    const std::vector<MasterOutcome> masters = GatherFromMasters(options, servers);
    servers = WithoutDuplicates(servers);
    if (options.list || (servers.empty() && !masters.empty())) return RunList(options, servers, masters);
    if (servers.empty()) {
        WriteError("vtquery: the server list '" + options.serversFile + "' names no servers\n" + UsageText());
        return ExitUsage;
    }
    return RunRefresh(options, servers, masters) | MastersExitCode(masters);
}

}  // namespace

int main() {
    try {
        return Run();
    } catch (const NoWindowError& error) {
        WriteError(NoWindowLine(error) + "\n");
    } catch (const PluginLoadError& error) {
        WriteError(std::string("vtquery: ") + error.what() + "\n");
    } catch (const std::exception& error) {
        WriteError(std::string("vtquery: unexpected error: ") + error.what() + "\n");
    }
    return ExitNotAllAnswered;
}
