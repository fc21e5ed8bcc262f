// The details of the selected server, a pane: a tab per table the plugin filled (DetailPages),
// its rows in a list view with the declared headings and widths, and beside them the player-count
// chart with its title. Choosing a tab is its own business.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "apps/vtbrowse/count_chart_win.h"
#include "apps/vtbrowse/detail_pages.h"
#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/server_rows.h"

class DetailPane final : public Pane {
public:
    explicit DetailPane(HWND parent);

    // Shows row's tables and history (null: none), the page in view kept where it still exists.
    void Show(const ServerRow* row);

private:
    void OnNotify(const NMHDR& header) override;
    void OnSize(int width, int height) override;
    // The list's font changed: the declared widths are measured again, the chart scaled.
    void OnDpiChanged(int previous) override;
    void FillPage();

    HWND tabs_ = nullptr;
    HWND list_ = nullptr;
    HWND chartTitle_ = nullptr;
    std::unique_ptr<CountChart> chart_;
    std::vector<DetailPage> pages_;
    std::vector<std::wstring> titles_;   // of the tabs shown
    std::vector<DetailColumn> columns_;  // of the page shown
    int averageCharWidth_ = 6;           // of the list's font: the unit of the widths the plugin declares
};
