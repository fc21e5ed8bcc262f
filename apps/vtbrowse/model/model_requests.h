// What the model has done outside it, and what comes back: the plugin's side refreshes, pings one
// server and starts the game; the master fetch asks masters; the window asks the user to join.
// The model asks only after its observers heard the change that led to it (the rows of a refresh
// are listed by then). What the plugin's side reports comes back as SideEvents, a batch at a time.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "apps/vtbrowse/model/server_rows.h"
#include "apps/vtbrowse/settings/browser_settings.h"

class ModelRequests {
public:
    virtual void Refresh(const std::vector<ServerId>& servers) = 0;
    // Starts no new ping of the refreshes asked for so far.
    virtual void CancelRefresh() = 0;
    // Pings one server on its own (a seat watch's look, a quick connect's).
    virtual void Check(ServerId server) = 0;
    // Starts the game on server with join's settings and the values of the options it offered.
    virtual void Launch(ServerId server, const JoinSettings& join,
                        const std::map<int, std::wstring>& optionValues) = 0;
    virtual void FetchMasters(const std::vector<ServerAddress>& masters) = 0;
    virtual void CancelFetch() = 0;
    // The join dialog for server (quick connect's, once its check ended); after the notice.
    virtual void AskJoin(ServerId server) = 0;

protected:
    ~ModelRequests() = default;
};

// What the plugin's side hands back, from its threads, in order.
struct SideEvent {
    enum class Kind {
        Offered,       // server's session was made: offered holds the launch options it offered
        Result,        // server was pinged by a refresh: result holds what the ping left
        Progress,      // done of total servers of the running refresh have been pinged
        RefreshEnded,  // done of total pinged in seconds; cancelled when it stopped early
        Log,           // text for the log
        Checked,       // server's check ended: result holds what the ping left when done is 1
    };
    Kind kind = Kind::Log;
    ServerId server = 0;
    ServerResult result;
    std::vector<OfferedLaunchOption> offered;
    size_t done = 0;
    size_t total = 0;
    double seconds = 0;
    bool cancelled = false;
    std::wstring text;
};
