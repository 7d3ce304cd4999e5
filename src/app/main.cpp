#include "app/application.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    orbelune::InitializeApplication();
    orbelune::CreateWindowSet();
    orbelune::ShowMainWindow(showCommand);
    const int code = orbelune::RunMessageLoop();
    orbelune::DestroyWindowSet();
    return code;
}
