// Quick connect: an address box and a button. The server typed is added to the list if it is not
// there, refreshed on its own and, once its answer (or its silence) is in, the join dialog opens
// for it; `vtbrowse --join ADDRESS:PORT` does the same at start.
#pragma once

#include <functional>

#include "apps/shared/server_list.h"
#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/server_rows.h"

class QuickConnect final : public Pane {
public:
    struct Handlers {
        std::function<void(const ServerAddress&)> connect;  // a server asked for: list it and Await it
        std::function<void(ServerId)> check;                // ping it alone (PluginSide::Check)
        std::function<void(ServerId)> select;
        std::function<void(const std::wstring&)> log;
    };

    QuickConnect(HWND parent, int id, Handlers handlers);

    // Selects the server listed for a connect and checks it; its join dialog opens once that ended.
    void Await(ServerId server);
    // server's check ended: true, once, when it is the one awaited.
    bool Arrived(ServerId server);
    bool OnEnter(HWND focus) override;

private:
    void OnCommand(int id, int code) override;
    void OnSize(int width, int height) override;
    void ConnectTyped();

    Handlers handlers_;
    ServerId awaited_ = 0;
};
