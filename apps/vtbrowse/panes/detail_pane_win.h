// The details of the server in focus, a pane: a tab per table the plugin filled (DetailPages),
// its rows in a list view with the declared headings and widths, and beside them the player-count
// chart with its title. Choosing a tab is its own business.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"
#include "apps/vtbrowse/panes/count_chart_win.h"
#include "apps/vtbrowse/panes/detail_pages.h"

class DetailPane final : public Pane, private ModelObserver {
public:
    DetailPane(HWND parent, BrowserModel& model);
    ~DetailPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    // Shows row's tables and history (null: none), the page in view kept where it still exists.
    void Show(const ServerRow* row);
    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The list's font changed: the declared widths are measured again, the chart scaled.
    LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void LayOut(int width, int height);
    void FillPage();

    BrowserModel& model_;
    HWND tabs_ = nullptr;
    HWND list_ = nullptr;
    HWND chartTitle_ = nullptr;
    std::unique_ptr<CountChart> chart_;
    std::vector<DetailPage> pages_;
    std::vector<std::wstring> titles_;   // of the tabs shown
    std::vector<DetailColumn> columns_;  // of the page shown
    int averageCharWidth_ = 6;           // of the list's font: the unit of the widths the plugin declares
};
