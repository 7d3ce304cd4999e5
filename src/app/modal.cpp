#include "app/modal.h"

namespace orbelune {

namespace {

struct Collect {
    HWND keep;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM lParam) {
    auto* c = reinterpret_cast<Collect*>(lParam);
    if (hwnd != c->keep && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
        try {
            c->windows->push_back(hwnd);
        } catch (...) {  // nothing may leave a callback; the windows so far are enough
            return FALSE;
        }
    }
    return TRUE;
}

}  // namespace

ModalScope::ModalScope(HWND keep) : active_(::GetActiveWindow()), focus_(::GetFocus()) {
    Collect c{keep, &disabled_};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&c));
    for (HWND w : disabled_) ::EnableWindow(w, FALSE);
}

ModalScope::~ModalScope() {
    for (HWND w : disabled_)
        if (::IsWindow(w)) ::EnableWindow(w, TRUE);
    if (active_ && ::IsWindow(active_)) ::SetActiveWindow(active_);
    if (focus_ && ::IsWindow(focus_)) ::SetFocus(focus_);
}

void RunModalLoop(const std::function<bool()>& done, const std::function<bool(MSG&)>& preTranslate) {
    MSG msg;
    while (!done()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (got < 0) return;
        if (preTranslate(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace orbelune
