#include "apps/vtbrowse/framework/display_scale_win.h"

namespace {

// A function of user32 or comctl32 that older Windows lack: null there.
template <class Function>
Function Lookup(const wchar_t* module, const char* name) {
    const HMODULE loaded = GetModuleHandleW(module);
    return loaded ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)))
                  : nullptr;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

int WindowDpi(HWND window) {
    using ForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = Lookup<ForWindow>(L"user32.dll", "GetDpiForWindow");
    const UINT dpi = forWindow && window ? forWindow(window) : 0;
    return dpi ? static_cast<int>(dpi) : ScreenDpi();
}

owners::unique_gdi_object MessageFont(int dpi) {
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = Lookup<ForDpi>(L"user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    bool read =
        forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi));
    if (!read && SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        read = true;
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
    }
    if (!read) {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof metrics.lfMessageFont, &metrics.lfMessageFont);
        metrics.lfMessageFont.lfHeight = -MulDiv(8, dpi, 72);
    }
    return owners::unique_gdi_object(CreateFontIndirectW(&metrics.lfMessageFont));
}

owners::unique_icon SmallApplicationIcon() {
    // comctl32 6 picks the icon's size for the notification area's scale; older ones lack it.
    using Metric = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
    static const auto metric = Lookup<Metric>(L"comctl32.dll", "LoadIconMetric");
    HICON icon = nullptr;
    if (metric && SUCCEEDED(metric(nullptr, IDI_APPLICATION, 0 /* LIM_SMALL */, &icon)) && icon)
        return owners::unique_icon(icon);
    // The system's shared icon is copied: the owner destroys what it holds.
    return owners::unique_icon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
}
