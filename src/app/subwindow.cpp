#include "app/subwindow.h"

#include "app/window.h"

namespace orbelune {

void LeaveSubWindow(const Window& subWindow, const Window* opener) {
    if (opener) ::EnableWindow(opener->Handle(), TRUE);
    ::ShowWindow(subWindow.Handle(), SW_HIDE);
}

}  // namespace orbelune
