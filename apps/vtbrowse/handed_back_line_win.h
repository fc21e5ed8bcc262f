// The line that shows what the plugin last passed back to the window (command 1124, asked for
// from the list's context menu): a pane beside the seat watch's line, empty until then.
#pragma once

#include <string>

#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/server_rows.h"
#include "common/contract/host_services.h"

class HandedBackLine final : public Pane {
public:
    explicit HandedBackLine(HWND parent);

    // The plugin handed back its record of a server (null: none) for row (null: no longer
    // listed): shows the line and returns it.
    std::wstring Show(const VtPluginServerStruct* record, const ServerRow* row);

private:
    void OnSize(int width, int height) override;

    HWND line_ = nullptr;
};
