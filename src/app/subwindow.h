// The sub-window protocol: while the link-target browser or the icon picker
// is shown, the main window is disabled. Every way out of a sub-window
// enables the main window first, then hides the sub-window.
#pragma once

namespace orbelune {

class Form;

void LeaveSubWindow(Form& subWindow);

}  // namespace orbelune
