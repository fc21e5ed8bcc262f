// The player-count chart of the details pane: a child window that draws a server's history of
// this run (LayOutChart) with its scale. The object owns the window and what it shows.
#pragma once

#include <vector>

#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/model/server_rows.h"

class CountChart final : public MessageMap {
public:
    // Registers the chart's window class for the program; once, before any chart is made.
    static owners::unique_window_class RegisterClass();
    // The chart as a child of parent with id, drawn for dpi in parent's font.
    CountChart(HWND parent, int id, int dpi);
    CountChart(const CountChart&) = delete;
    CountChart& operator=(const CountChart&) = delete;

    HWND Window() const { return window_.get(); }
    // What the chart shows: history, scaled to the server's limit. Repaints it when that changed.
    void Show(std::vector<CountPoint> history, int maxPlayers);
    // Draws for dpi from now on.
    void SetDpi(int dpi);

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSetFont(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnGetFont(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void PaintBuffered(HDC dc) const;
    void Paint(HDC dc) const;

    std::vector<CountPoint> history_;
    int maxPlayers_ = 0;
    int dpi_;
    HFONT font_ = nullptr;  // the window's, set with WM_SETFONT
    owners::unique_hwnd window_;
};
