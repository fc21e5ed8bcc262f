// The server list: a virtual list view over the server table, showing those the filter lets
// through in its order, with sort arrows, tooltips and a selection that survives updates. A
// heading clicked sorts by its column (again: the other way).
// It hears the table: after answers it sorts again only when one moved a row or changed whether
// it shows, and redraws only the rows in view whose texts or places changed.
// It is a pane: the list view's notifications and context menu are its own; what the user does
// with it (sorted again, the selection changed, Del, Enter or a double click, a command of the
// context menu) goes to the handlers it was made with.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "apps/vtbrowse/pane_win.h"
#include "apps/vtbrowse/shown_order.h"
#include "common/contract/windows_headers.h"

class ServerListView final : public Pane, private TableSubscriber {
public:
    struct Handlers {
        std::function<void()> arranged;  // sorted by a heading clicked, or a column's width changed
        std::function<void()> selectionChanged;
        std::function<void()> deletePressed;
        std::function<void()> chosen;  // Enter or a double click
        // The context menu opens for the server in focus: the plugin's own menu step comes first.
        std::function<void(ServerId)> menuOpening;
        std::function<void(int)> command;  // chosen from the context menu
    };

    // Hears table (which outlives the view) until destroyed; it is read whenever the list draws.
    // The rows show in order until a heading is clicked; the columns are columnWidths wide (in
    // 96-DPI units, by RowColumn; empty or of another count: the usual widths).
    ServerListView(HWND parent, ServerTable& table, const RowOrder& order,
                   const std::vector<int>& columnWidths, Handlers handlers);
    ~ServerListView();
    ServerListView(const ServerListView&) = delete;
    ServerListView& operator=(const ServerListView&) = delete;

    // Shows the rows through filter, filtered and sorted anew (the filter or rows' origins
    // changed), the selection kept.
    void Show(const RowFilter& filter);
    // Shows what the rows answered since the last Show or Update.
    void Update();
    const RowOrder& Order() const { return order_; }
    // The columns' widths in 96-DPI units, by RowColumn, as the user left them.
    std::vector<int> ColumnWidths();
    // Takes the selected servers off the table; the ids removed.
    std::vector<ServerId> RemoveSelected() { return table_.Remove(SelectedIds()); }
    // The selected servers become favourites, or stop being them when all were.
    void ToggleFavourites() { table_.ToggleFavourites(SelectedIds()); }
    size_t Shown() const { return shown_.Ids().size(); }
    std::vector<ServerId> SelectedIds() const;
    // The server in focus if it is selected, else the first selected; 0 for none.
    ServerId FocusedId() const;
    // Selects and focuses id alone, and scrolls it into view; nothing when it is not shown.
    void Select(ServerId id);
    // Enter on the list: the server in focus is chosen.
    bool OnEnter(HWND focus) override;

private:
    using RowTexts = std::array<std::wstring, RowColumnCount>;

    void RowsAdded(const AddedRows& added) override;
    void RowAnswered(const ServerRow& row, bool alone) override;
    void RowsRemoved(const std::vector<ServerId>& ids) override;
    void OnNotify(const NMHDR& header) override;
    // Sorts by column, the other way when it sorted by it already.
    void SortBy(RowColumn column);
    void ShowOrder();  // the sort arrow
    void OnSize(int width, int height) override;
    void OnDpiChanged(int previous) override;
    // Sets the columns' widths to widths_ at the DPI.
    void ShowColumnWidths();
    bool OnOther(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The servers' context menu asked for at where (screen, or -1 from the keyboard): the item
    // clicked is selected first, the handlers are told of the server in focus, then of the
    // command chosen.
    void ContextMenu(LPARAM where);
    const ServerRow* RowAt(size_t index) const;
    // Where the context menu opens; false when not over a server.
    bool MenuPoint(LPARAM where, POINT& point);
    // Tells the list view its count, and redraws the items in view whose server or texts are not
    // the ones it drew; before: the ids shown until now.
    void Redraw(const std::vector<ServerId>& before);
    // Selects selected again (focused in focus) where the order moved them from before.
    void Reselect(const std::vector<ServerId>& selected, ServerId focused,
                  const std::vector<ServerId>& before);

    ServerTable& table_;
    Handlers handlers_;
    RowFilter filter_;
    RowOrder order_;
    ShownOrder shown_;
    std::vector<ServerId> answered_;  // since the last Show or Update
    bool rowsAddedOrRemoved_ = false;
    std::unordered_map<ServerId, RowTexts> drawn_;  // the texts the list view was given
    bool restoringSelection_ = false;
    // The columns' widths in 96-DPI units: what the user set, kept exact while the scale changes.
    std::vector<int> widths_;
    bool settingWidths_ = false;  // the header's notifications of it are not the user's
    HWND list_ = nullptr;
};
