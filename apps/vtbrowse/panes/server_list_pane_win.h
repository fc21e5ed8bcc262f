// The server list: a virtual list view over the model's shown rows, in its order, with sort
// arrows, tooltips and a selection that follows the rows when the order changes. A heading
// clicked sorts by its column (again: the other way). After answers it redraws only the rows in
// view whose texts or places changed.
// It is a pane: the list view's notifications and context menu are its own. What the user does
// with the selected servers goes to the model (removed, favourites, refreshed) or to the handlers
// it was made with (joined, the plugin's menu step, passed to the plugin and back): the window's
// commands for the selection (buttons, keys) come to it as its own.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class ServerListPane final : public Pane, private ModelObserver {
public:
    struct Handlers {
        std::function<void(ServerId, bool)> join;  // the server, whether to wait for a seat
        // The context menu opens for the server in focus: the plugin's own menu step comes first.
        std::function<void(ServerId)> menuOpening;
        std::function<void(ServerId)> handBack;
    };

    ServerListPane(HWND parent, BrowserModel& model, Handlers handlers);
    ~ServerListPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    using RowTexts = std::array<std::wstring, RowColumnCount>;

    void Changed(const ModelChange& change) override;
    // The commands for the selection (Del, Ctrl+D, the buttons, the context menu), and Enter.
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnContextMenu(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The columns' widths follow the new DPI (wParam: the one before).
    LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    std::vector<ServerId> SelectedIds() const;
    // The server in focus if it is selected, else the first selected; 0 for none.
    ServerId FocusedId() const;
    // Selects and focuses id alone, and scrolls it into view; nothing when it is not shown.
    void Select(ServerId id);
    void ShowOrder();  // the sort arrow
    // Tells the list view its count, and redraws the items in view whose server or texts are not
    // the ones it drew; before: the ids shown until now.
    void Redraw(const std::vector<ServerId>& before);
    // Selects selected again (focused in focus) where the new order put them.
    void Reselect(const std::vector<ServerId>& selected, ServerId focused);
    const ServerRow* RowAt(size_t index) const;
    // Where the context menu opens (where: screen, or -1 from the keyboard); false when not over a
    // server. The item clicked is selected first.
    bool MenuPoint(LPARAM where, POINT& point);
    // The columns' widths in 96-DPI units, by RowColumn, as the user left them.
    std::vector<int> ColumnWidths();
    void ShowColumnWidths();

    BrowserModel& model_;
    Handlers handlers_;
    std::vector<ServerId> ids_;                     // the ids the list view shows, in its order
    std::unordered_map<ServerId, RowTexts> drawn_;  // the texts the list view was given
    std::optional<RowOrder> arrows_;                // the order the header's arrow shows
    bool restoringSelection_ = false;
    // The columns' widths in 96-DPI units: what the user set, kept exact while the scale changes.
    std::vector<int> widths_;
    bool settingWidths_ = false;  // the header's notifications of it are not the user's
    HWND list_ = nullptr;
};
