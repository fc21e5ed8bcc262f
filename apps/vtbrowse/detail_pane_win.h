// The details of the selected server: a tab per table the plugin filled (DetailPages), its rows
// in a list view with the declared headings and widths, and beside them the player-count chart
// with its title.
#pragma once

#include <string>
#include <vector>

#include "apps/vtbrowse/count_chart_win.h"
#include "apps/vtbrowse/detail_pages.h"
#include "apps/vtbrowse/server_rows.h"
#include "contract/windows_headers.h"

struct DetailPaneIds {
    int tabs;
    int list;
    int chartTitle;
    int chart;
};

class DetailPane {
public:
    DetailPane(HWND parent, DetailPaneIds ids);
    DetailPane(const DetailPane&) = delete;
    DetailPane& operator=(const DetailPane&) = delete;

    // Shows row's tables and history (null: none), the page in view kept where it still exists.
    void Show(const ServerRow* row);
    // Places the pane in area of its parent.
    void Layout(const RECT& area);
    // The tabs' notifications; true when header was theirs.
    bool OnNotify(const NMHDR& header);

private:
    void FillPage();

    HWND tabs_;
    HWND list_;
    HWND chartTitle_;
    CountChart chart_;
    std::vector<DetailPage> pages_;
    std::vector<std::wstring> titles_;  // of the tabs shown
    RECT area_{};
    int averageCharWidth_;  // of the list's font: the unit of the widths the plugin declares
};
