#include "apps/vtbrowse/settings/imported_servers.h"

#include "apps/shared/server_list.h"
#include "apps/shared/usable_address.h"
#include "host/text/utf8_text.h"

ImportedServers ReadImportedServers(const std::filesystem::path& path) {
    ImportedServers read;
    ServerListError error;
    if (!ReadServerListFile(path.u8string(), read.servers, error, ParseUsableServerAddress))
        read.problem = WideFromUtf8(error.message);
    return read;
}
