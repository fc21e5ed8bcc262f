#include "apps/vtbrowse/panes/count_chart_win.h"

#include <string>

#include "apps/vtbrowse/framework/scale.h"
#include "apps/vtbrowse/panes/count_chart.h"
#include "common/owners/scope_exit.h"

// Drawn into a bitmap whole (WM_PAINT), so no background is erased first.
BOOL CountChart::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
    FollowWindow(window_, window, message);
    return TakeMessage(*this,
                       {{WM_PAINT, &CountChart::OnPaint},
                        {WM_ERASEBKGND, &CountChart::OnEraseBackground},
                        {WM_SIZE, &CountChart::OnSize},
                        {WM_SETFONT, &CountChart::OnSetFont},
                        {WM_GETFONT, &CountChart::OnGetFont}},
                       message, wParam, lParam, result);
}

// The whole chart is painted: nothing to erase first, and all of it again at a new size.
LRESULT CountChart::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) {
    return 1;
}

LRESULT CountChart::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
    InvalidateRect(window_.get(), nullptr, FALSE);
    return 0;
}

LRESULT CountChart::OnSetFont(UINT, WPARAM wParam, LPARAM, BOOL&) {
    font_ = reinterpret_cast<HFONT>(wParam);
    return 0;
}

LRESULT CountChart::OnGetFont(UINT, WPARAM, LPARAM, BOOL&) {
    return reinterpret_cast<LRESULT>(font_);
}

namespace {

constexpr const wchar_t* ChartClass = L"VtbrowseCountChart";

void TextAt(HDC dc, int x, int y, const std::wstring& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

owners::unique_window_class CountChart::RegisterClass() {
    return owners::unique_window_class::Register(ChartClass, MapWindowProc<CountChart>);
}

CountChart::CountChart(HWND parent, int id, int dpi) : dpi_(dpi) {
    font_ = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
    CreateWindowExW(WS_EX_CLIENTEDGE, ChartClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
}

void CountChart::Show(std::vector<CountPoint> history, int maxPlayers) {
    if (history == history_ && maxPlayers == maxPlayers_) return;
    history_ = std::move(history);
    maxPlayers_ = maxPlayers;
    InvalidateRect(window_.get(), nullptr, FALSE);
}

void CountChart::SetDpi(int dpi) {
    dpi_ = dpi;
    InvalidateRect(window_.get(), nullptr, FALSE);
}

LRESULT CountChart::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_.get(), &paint);
    const auto done = owners::scope_exit([&] { EndPaint(window_.get(), &paint); });
    PaintBuffered(dc);
    return 0;
}

// Draws into a bitmap first and copies it to the window in one go: no flicker while a refresh
// updates the chart. Straight to dc when no bitmap can be had.
void CountChart::PaintBuffered(HDC dc) const {
    RECT client;
    GetClientRect(window_.get(), &client);
    const owners::unique_memory_dc buffer(CreateCompatibleDC(dc));
    const owners::unique_gdi_object bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (!buffer || !bitmap) {
        Paint(dc);
        return;
    }
    HGDIOBJ before = SelectObject(buffer.get(), bitmap.get());
    Paint(buffer.get());
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
    // The bitmap is deleted before the device context: it must not be selected in it then.
    SelectObject(buffer.get(), before);
}

// The scale on the left, a frame, the runs as lines in the stock DC pen's colour (no pen to make
// and delete), lone points as small squares.
void CountChart::Paint(HDC dc) const {
    RECT client;
    GetClientRect(window_.get(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    // The scale's room on the left and the line of text under the plot, in the font's height.
    TEXTMETRICW font{};
    GetTextMetricsW(dc, &font);
    const auto scaled = [this](int units) { return Scaled(units, dpi_); };
    RECT plot{client.left + scaled(28), client.top + scaled(6), client.right - scaled(6),
              client.bottom - font.tmHeight - scaled(4)};
    if (plot.right - plot.left < 10 || plot.bottom - plot.top < 10) return;
    const ChartLayout layout =
        LayOutChart(history_, maxPlayers_, plot.right - plot.left, plot.bottom - plot.top);
    TextAt(dc, client.left + scaled(2), plot.top - scaled(2), std::to_wstring(layout.top));
    TextAt(dc, client.left + scaled(2), plot.bottom - font.tmHeight, L"0");
    const size_t shown = std::min(history_.size(), ChartRefreshes);
    TextAt(dc, plot.left, plot.bottom + scaled(2),
           history_.empty() ? L"no refresh yet" : std::to_wstring(shown) + L" refreshes, latest right");

    SelectObject(dc, GetStockObject(DC_PEN));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetDCPenColor(dc, GetSysColor(COLOR_BTNSHADOW));
    Rectangle(dc, plot.left - 1, plot.top - 1, plot.right + 1, plot.bottom + 1);
    SetDCPenColor(dc, RGB(0, 110, 200));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, RGB(0, 110, 200));
    for (const std::vector<ChartPoint>& run : layout.runs) {
        if (run.size() == 1) {
            Rectangle(dc, plot.left + run[0].x - scaled(2), plot.top + run[0].y - scaled(2),
                      plot.left + run[0].x + scaled(3), plot.top + run[0].y + scaled(3));
            continue;
        }
        MoveToEx(dc, plot.left + run[0].x, plot.top + run[0].y, nullptr);
        for (size_t i = 1; i < run.size(); ++i) LineTo(dc, plot.left + run[i].x, plot.top + run[i].y);
    }
}
