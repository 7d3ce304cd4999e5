#include "app/subwindow.h"

#include "app/application.h"
#include "ui/main/form1.h"

namespace orbelune {

void LeaveSubWindow(Form& subWindow) {
    if (Form1) Form1->Enable(true);
    subWindow.Hide();
}

}  // namespace orbelune
