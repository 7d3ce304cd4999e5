#include "app/subwindow.h"

#include "ui/form.h"

namespace orbelune {

void LeaveSubWindow(Form& subWindow, Form* opener) {
    if (opener) opener->Enable(true);
    subWindow.Hide();
}

}  // namespace orbelune
