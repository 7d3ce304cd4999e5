#include "ui/linkbrowser/form2.h"

namespace orbelune {

TForm2::TForm2() : Form(RGB(191, 255, 113)) {
    // Created hidden; a dialog frame without title-bar buttons.
    CreateForm(L"TForm2", L"リンク先参照", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, 177, 161,
               537, 382);
}

}  // namespace orbelune
