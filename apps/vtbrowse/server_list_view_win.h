// The server list: a virtual list view over the server table, showing those the filter lets
// through in the chosen order, with sort arrows, tooltips and a selection that survives updates.
// It hears the table: after answers it sorts again only when one moved a row or changed whether
// it shows, and redraws only the rows in view whose texts or places changed.
// What the user does with it (a heading clicked, the selection changed, Del, Enter or a double
// click) goes to the handlers it was made with.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "apps/vtbrowse/shown_order.h"
#include "contract/windows_headers.h"

class ServerListView final : private TableSubscriber {
public:
    struct Handlers {
        std::function<void(RowColumn)> columnClicked;
        std::function<void()> selectionChanged;
        std::function<void()> deletePressed;
        std::function<void()> chosen;  // Enter or a double click
    };

    // Hears table (which outlives the view) until destroyed; it is read whenever the list draws.
    ServerListView(HWND parent, int id, ServerTable& table, Handlers handlers);
    ~ServerListView();
    ServerListView(const ServerListView&) = delete;
    ServerListView& operator=(const ServerListView&) = delete;

    HWND Window() const { return list_; }
    // Shows the rows through filter in order, filtered and sorted anew (the filter, the order or
    // rows' origins changed), the selection kept.
    void Show(const RowFilter& filter, const RowOrder& order);
    // Shows what the rows answered since the last Show or Update.
    void Update();
    void ShowOrder(const RowOrder& order);  // the sort arrow
    size_t Shown() const { return shown_.Ids().size(); }
    std::vector<ServerId> SelectedIds() const;
    // The server in focus if it is selected, else the first selected; 0 for none.
    ServerId FocusedId() const;
    // Selects and focuses id alone, and scrolls it into view; nothing when it is not shown.
    void Select(ServerId id);
    // The servers' context menu asked for at where (screen, or -1 from the keyboard): the item
    // clicked is selected first, opening(id) is told of the server in focus, and the command
    // chosen is returned; 0 when not over a server or nothing was chosen.
    int ContextMenu(LPARAM where, const std::function<void(ServerId)>& opening);
    // The list's notifications; true when header was the list's.
    bool OnNotify(const NMHDR& header);

private:
    using RowTexts = std::array<std::wstring, RowColumnCount>;

    void RowsAdded(const AddedRows& added) override;
    void RowAnswered(const ServerRow& row, bool alone) override;
    void RowsRemoved(const std::vector<ServerId>& ids) override;
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
    HWND list_;
};
