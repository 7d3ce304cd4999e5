#include "app/dpi.h"

#include <initializer_list>

namespace orbelune {

namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, unknown before Windows 10 1703.
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <typename Function>
void Find(HMODULE module, const char* name, Function& function) noexcept {
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

bool IsPerMonitorV2(const DpiFunctions& f) noexcept {
    return f.getThreadDpiAwarenessContext && f.areDpiAwarenessContextsEqual && f.getDpiForWindow &&
           f.adjustWindowRectExForDpi && f.areDpiAwarenessContextsEqual(f.getThreadDpiAwarenessContext(), kPerMonitorV2);
}

DpiFunctions FindDpiFunctions() noexcept {
    DpiFunctions f;
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    Find(user32, "GetDpiForSystem", f.getDpiForSystem);
    Find(user32, "GetDpiForWindow", f.getDpiForWindow);
    Find(user32, "AdjustWindowRectExForDpi", f.adjustWindowRectExForDpi);
    Find(user32, "SystemParametersInfoForDpi", f.systemParametersInfoForDpi);
    Find(user32, "GetSystemMetricsForDpi", f.getSystemMetricsForDpi);
    Find(user32, "GetThreadDpiAwarenessContext", f.getThreadDpiAwarenessContext);
    Find(user32, "AreDpiAwarenessContextsEqual", f.areDpiAwarenessContextsEqual);
    if (f.getDpiForWindow) return f;  // shcore.dll is not needed: no load at start-up
    // From the system folder only (shcore.dll comes with Windows 8.1, which
    // knows the flag).
    Find(::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor", f.getDpiForMonitor);
    return f;
}

}  // namespace

DpiFunctions& DpiCalls() noexcept {
    static DpiFunctions calls = FindDpiFunctions();
    return calls;
}

DpiScaling CurrentDpiScaling() noexcept {
    const DpiFunctions& f = DpiCalls();
    if (IsPerMonitorV2(f)) return DpiScaling::PerMonitorV2;
    return f.getDpiForWindow || f.getDpiForMonitor ? DpiScaling::PerMonitor : DpiScaling::System;
}

int SystemDpi() noexcept {
    if (DpiCalls().getDpiForSystem) return static_cast<int>(DpiCalls().getDpiForSystem());
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kLayoutDpi;
}

int WindowDpi(HWND hwnd) noexcept {
    const DpiFunctions& f = DpiCalls();
    UINT dpi = 0, unused = 0;
    if (hwnd && f.getDpiForWindow)
        dpi = f.getDpiForWindow(hwnd);
    else if (hwnd && f.getDpiForMonitor &&
             FAILED(f.getDpiForMonitor(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &unused, &dpi)))
        dpi = 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) noexcept {
    RECT frame{0, 0, clientWidth, clientHeight};
    // Before per-monitor v2 the frame keeps the size of the system DPI,
    // whatever the DPI of the client area.
    if (CurrentDpiScaling() != DpiScaling::PerMonitorV2 ||
        !DpiCalls().adjustWindowRectExForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return frame;
}

NONCLIENTMETRICSW NonClientMetrics(int dpi) noexcept {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    const DpiFunctions& f = DpiCalls();
    if (f.systemParametersInfoForDpi &&
        f.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    // Those are the system DPI's: the fonts, which the program draws in its
    // client areas, scaled to the DPI asked for.
    if (const int system = SystemDpi(); dpi != system) {
        for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                               &metrics.lfStatusFont, &metrics.lfMessageFont})
            font->lfHeight = ::MulDiv(font->lfHeight, dpi, system);
    }
    return metrics;
}

int SystemMetric(int index, int dpi) noexcept {
    // Before per-monitor v2 the system's parts keep the system DPI's size.
    if (CurrentDpiScaling() == DpiScaling::PerMonitorV2 && DpiCalls().getSystemMetricsForDpi)
        return DpiCalls().getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    return ::GetSystemMetrics(index);
}

}  // namespace orbelune
