// Display scaling. Every layout is given in pixels at 96 dpi and scaled by
// the DPI of the window it is shown in, always rounded by Scale.
//
// The manifest asks for per-monitor awareness v2, else v1. What the system
// then does depends on its generation, and this file is the one place that
// decides how the program follows it (DpiScaling):
// - Windows 7 (and 8): one DPI, the system's, for every window.
// - Windows 8.1 and 10 before 1703 (per-monitor v1): each monitor has a DPI
//   of its own (GetDpiForWindow from 10 1607 on, GetDpiForMonitor before),
//   by which the program scales its client areas; the system keeps drawing
//   window frames with the metrics of the system DPI and suggests a
//   rectangle on a DPI change that does not fit them. Wine 8, which names no
//   per-monitor v2 context, takes this path with the calls of 10 1607.
// - Windows 10 1703 and later (per-monitor v2): the window's DPI
//   (GetDpiForWindow), frames drawn at that DPI too, and on a DPI change a
//   rectangle that fits.
// The newer calls are looked up at run time; tests replace them with the set
// an older generation has (DpiCalls) to run its path.
#pragma once

#include <windows.h>

namespace orbelune {

constexpr int kLayoutDpi = 96;
inline int Scale(int value, int dpi) noexcept { return ::MulDiv(value, dpi, kLayoutDpi); }

enum class DpiScaling { System, PerMonitor, PerMonitorV2 };
DpiScaling CurrentDpiScaling() noexcept;

// The DPI of the screen as the program sees it.
int SystemDpi() noexcept;
// The DPI of the monitor the window is on.
int WindowDpi(HWND hwnd) noexcept;
// The window rectangle around a client area, with the frame the system
// draws around it at that DPI.
RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) noexcept;
// The fonts and sizes of window captions, menus and messages at that DPI.
NONCLIENTMETRICSW NonClientMetrics(int dpi) noexcept;
// GetSystemMetrics as the system's controls and frames use it at that DPI.
int SystemMetric(int index, int dpi) noexcept;

// The calls behind the above that not every generation has.
struct DpiFunctions {
    // Windows 8.1 on (shcore.dll).
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
    // Windows 10 1607 on.
    UINT(WINAPI* getDpiForSystem)() = nullptr;
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;
    HANDLE(WINAPI* getThreadDpiAwarenessContext)() = nullptr;
    BOOL(WINAPI* areDpiAwarenessContextsEqual)(HANDLE, HANDLE) = nullptr;
};
// Those of this system, looked up at the first use (shcore.dll only where
// GetDpiForWindow is missing); tests may overwrite them.
DpiFunctions& DpiCalls() noexcept;

}  // namespace orbelune
