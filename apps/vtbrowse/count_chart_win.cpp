#include "apps/vtbrowse/count_chart_win.h"

#include <memory>
#include <string>

#include "apps/vtbrowse/count_chart.h"
#include "owners/scope_exit.h"

namespace {

constexpr const wchar_t* kChartClass = L"VtbrowseCountChart";

struct ChartData {
    std::vector<CountPoint> history;
    int maxPlayers = 0;
};

ChartData* DataOf(HWND chart) {
    return reinterpret_cast<ChartData*>(GetWindowLongPtrW(chart, GWLP_USERDATA));
}

void TextAt(HDC dc, int x, int y, const std::wstring& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// The scale on the left, a frame, the runs as lines in the stock DC pen's colour (no pen to make
// and delete), lone points as small squares.
void Paint(HWND chart, HDC dc) {
    RECT client;
    GetClientRect(chart, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    const ChartData* data = DataOf(chart);
    if (!data) return;
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    constexpr int kScaleWidth = 28;
    constexpr int kPad = 6;
    RECT plot{client.left + kScaleWidth, client.top + kPad, client.right - kPad, client.bottom - 18};
    if (plot.right - plot.left < 10 || plot.bottom - plot.top < 10) return;
    const ChartLayout layout =
        LayOutChart(data->history, data->maxPlayers, plot.right - plot.left, plot.bottom - plot.top);
    TextAt(dc, client.left + 2, plot.top - 2, std::to_wstring(layout.top));
    TextAt(dc, client.left + 2, plot.bottom - 12, L"0");
    const size_t shown = std::min(data->history.size(), kChartRefreshes);
    TextAt(dc, plot.left, plot.bottom + 2,
           data->history.empty() ? L"no refresh yet" : std::to_wstring(shown) + L" refreshes, latest right");

    SelectObject(dc, GetStockObject(DC_PEN));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetDCPenColor(dc, GetSysColor(COLOR_BTNSHADOW));
    Rectangle(dc, plot.left - 1, plot.top - 1, plot.right + 1, plot.bottom + 1);
    SetDCPenColor(dc, RGB(0, 110, 200));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, RGB(0, 110, 200));
    for (const std::vector<ChartPoint>& run : layout.runs) {
        if (run.size() == 1) {
            Rectangle(dc, plot.left + run[0].x - 2, plot.top + run[0].y - 2, plot.left + run[0].x + 3,
                      plot.top + run[0].y + 3);
            continue;
        }
        MoveToEx(dc, plot.left + run[0].x, plot.top + run[0].y, nullptr);
        for (size_t i = 1; i < run.size(); ++i) LineTo(dc, plot.left + run[i].x, plot.top + run[i].y);
    }
}

LRESULT CALLBACK ChartProc(HWND chart, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetWindowLongPtrW(chart, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new ChartData));
            return 0;
        case WM_NCDESTROY: {
            const std::unique_ptr<ChartData> data(DataOf(chart));
            SetWindowLongPtrW(chart, GWLP_USERDATA, 0);
            break;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            InvalidateRect(chart, nullptr, FALSE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(chart, &paint);
            const auto done = owners::scope_exit([&] { EndPaint(chart, &paint); });
            Paint(chart, dc);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(chart, message, wParam, lParam);
}

}  // namespace

owners::unique_window_class CountChart::RegisterClass() {
    return owners::unique_window_class::Register(kChartClass, ChartProc);
}

HWND CountChart::Create(HWND parent, int id) {
    return CreateWindowExW(WS_EX_CLIENTEDGE, kChartClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                           nullptr);
}

void CountChart::Show(HWND chart, std::vector<CountPoint> history, int maxPlayers) {
    if (ChartData* data = DataOf(chart)) {
        data->history = std::move(history);
        data->maxPlayers = maxPlayers;
    }
    InvalidateRect(chart, nullptr, FALSE);
}
