// The plainest program that shows the same two lists as the main window: one
// window, a name list and a hidden number list filled by one pass over the
// catalogue key (catalogue_pass.h). The yardstick for the program's start-up
// with a catalogue. Closing the window ends it.
#include "catalogue_pass.h"

#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"MinimalLists";
    if (!::RegisterClassW(&wc)) return 1;
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"Minimal lists", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 577, 573, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    const DWORD style = WS_CHILD | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    HWND names = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", style | WS_VISIBLE, 112, 40, 393, 313, window,
                                   nullptr, instance, nullptr);
    HWND numbers = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", style, 24, 8, 57, 73, window, nullptr,
                                     instance, nullptr);
    bench::FillLists(names, numbers);
    ::ShowWindow(window, showCommand);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
