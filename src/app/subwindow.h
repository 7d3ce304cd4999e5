// The sub-window protocol: the link-target browser and the icon picker are
// opened with the form that opens them and a callback for their result.
// While a sub-window is shown its opener is disabled; every way out of the
// sub-window enables the opener first, then hides the sub-window. The result
// reaches the opener only through the callback, wired in application.cpp.
#pragma once

namespace orbelune {

class Window;

void LeaveSubWindow(const Window& subWindow, const Window* opener);

}  // namespace orbelune
