// What every modal box does: disable the program's other windows while it
// is open and give back exactly what it took, and run its own message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace orbelune {

// Disables every visible and enabled top-level window of this thread except
// `keep`; on leaving, enables exactly those again and gives the activation
// and the keyboard focus back to where they were.
class ModalScope {
public:
    explicit ModalScope(HWND keep);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    std::vector<HWND> disabled_;
    HWND active_;
    HWND focus_;
};

// Pumps messages until done() is true. preTranslate sees each message first
// and returns true when it has dealt with it. A WM_QUIT ends the loop and is
// posted again for the outer loop.
void RunModalLoop(const std::function<bool()>& done, const std::function<bool(MSG&)>& preTranslate);

}  // namespace orbelune
