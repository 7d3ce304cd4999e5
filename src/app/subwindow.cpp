#include "app/subwindow.h"

#include "app/application.h"
#include "ui/main/main_window.h"

namespace orbelune {

void LeaveSubWindow(Form& subWindow) {
    if (mainWindow) mainWindow->Enable(true);
    subWindow.Hide();
}

}  // namespace orbelune
