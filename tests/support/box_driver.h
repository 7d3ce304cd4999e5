// Drives real modal windows (our boxes, the system's message box, the
// common file dialogs) from inside their own message loops.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace orbelune::test {

// Drives the real boxes: a CBT hook sees each box as it is activated, then a
// thread timer plays the steps of a script inside the box's own loop, one
// step per tick.
class BoxDriver {
public:
    using Step = std::function<void(HWND box)>;

    explicit BoxDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
        current_ = this;
        hook_ = ::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
    }
    ~BoxDriver() {
        ::UnhookWindowsHookEx(hook_);
        if (timer_) ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    HWND Box() const { return box_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current_ && !current_->box_) {
            auto hwnd = reinterpret_cast<HWND>(wParam);
            wchar_t cls[32] = {};
            ::GetClassNameW(hwnd, cls, 32);
            if (lstrcmpW(cls, L"#32770") == 0) {
                current_->box_ = hwnd;
                current_->timer_ = ::SetTimer(nullptr, 0, 20, Tick);
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        BoxDriver* d = current_;
        if (!d) return;
        if (d->next_ >= d->steps_.size()) {
            ::KillTimer(nullptr, d->timer_);
            d->timer_ = 0;
            return;
        }
        d->steps_[d->next_++](d->box_);
    }

    static inline BoxDriver* current_ = nullptr;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    HHOOK hook_ = nullptr;
    HWND box_ = nullptr;
    UINT_PTR timer_ = 0;
};

// The focused control of the box, or the box itself.
inline HWND FocusedOr(HWND box) {
    HWND focus = ::GetFocus();
    return (focus && ::IsChild(box, focus)) ? focus : box;
}

}  // namespace orbelune::test
