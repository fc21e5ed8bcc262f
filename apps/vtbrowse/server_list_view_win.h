// The server list: a virtual list view over the server table, showing those the filter lets
// through in the chosen order, with sort arrows, tooltips and a selection that survives updates.
// What the user does with it (a heading clicked, the selection changed, Del, Enter or a double
// click) goes to the handlers it was made with.
#pragma once

#include <functional>
#include <vector>

#include "apps/vtbrowse/server_table.h"
#include "contract/windows_headers.h"

class ServerListView {
public:
    struct Handlers {
        std::function<void(RowColumn)> columnClicked;
        std::function<void()> selectionChanged;
        std::function<void()> deletePressed;
        std::function<void()> chosen;  // Enter or a double click
    };

    // table outlives the view; it is read whenever the list draws.
    ServerListView(HWND parent, int id, const ServerTable& table, Handlers handlers);
    ServerListView(const ServerListView&) = delete;
    ServerListView& operator=(const ServerListView&) = delete;

    HWND Window() const { return list_; }
    // Shows the rows again (they, the filter or the order changed), the selection kept.
    void Update(const RowFilter& filter, const RowOrder& order);
    void ShowOrder(const RowOrder& order);  // the sort arrow
    size_t Shown() const { return visible_.size(); }
    std::vector<ServerId> SelectedIds() const;
    // The server in focus if it is selected, else the first selected; 0 for none.
    ServerId FocusedId() const;
    // Selects and focuses id alone, and scrolls it into view; nothing when it is not shown.
    void Select(ServerId id);
    // Where a context menu asked for at where (screen, or -1 from the keyboard) opens: the item
    // clicked is selected first. False when not over a server.
    bool MenuPoint(LPARAM where, POINT& point);
    // The list's notifications; true when header was the list's.
    bool OnNotify(const NMHDR& header);

private:
    const ServerRow* RowAt(size_t index) const;

    const ServerTable& table_;
    Handlers handlers_;
    std::vector<ServerId> visible_;  // as of the last Update
    bool restoringSelection_ = false;
    HWND list_;
};
