#include "app/application.h"

#include "app/window.h"
#include "ui/iconpicker/icon_picker.h"
#include "ui/linkbrowser/link_browser.h"
#include "ui/main/main_window.h"

#include <memory>
#include <vector>

namespace orbelune {

namespace {

constexpr wchar_t kApplicationClass[] = L"TApplication";

// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables): the window set, made once and wired here
// The window set: made once, wired here, and the only place that knows all
// three.
std::unique_ptr<MainWindow> mainWindow;
std::unique_ptr<LinkBrowser> linkBrowser;
std::unique_ptr<IconPicker> iconPicker;

// The main window's "参照" buttons open the sub-windows, which hand their
// result back to the main window's fields. (Nothing can press them before
// the sub-windows exist: they are made before the first event.)
MainWindow::SubWindows MainWindowsSubWindows() {
    MainWindow::SubWindows wiring;
    wiring.browseLink = [] {
        if (!linkBrowser) return;
        MainWindow& main = *mainWindow;
        linkBrowser->Open(main, [&main](const std::wstring& link, const std::wstring& name) {
            main.TakeLinkTarget(link, name);
        });
    };
    wiring.browseIcon = [](MainWindow::Preview preview) {
        if (!iconPicker) return;
        MainWindow& main = *mainWindow;
        const wchar_t* caption =
            preview == MainWindow::Preview::Icon ? IconPicker::kIconModeCaption : IconPicker::kHotIconModeCaption;
        iconPicker->Open(main, caption, main.IconFolder(),
                         [&main, preview](const std::wstring& path) { main.TakeIconFile(preview, path); });
    };
    wiring.anyShown = [] { return (linkBrowser && linkBrowser->IsShown()) || (iconPicker && iconPicker->IsShown()); };
    wiring.minimize = [] { MinimizeApplication(); };
    return wiring;
}

// The forms hidden by minimising, shown again on restore.
std::vector<HWND> hiddenByMinimize;
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

class ApplicationWindowObject final : public Window {
public:
    ApplicationWindowObject() {
        RegisterWindowClass(kApplicationClass, nullptr);
        // No size of its own: only its task-bar entry is seen.
        const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2, y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
        CreateNative(kApplicationClass, 0, kApplicationTitle,
                     WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0, nullptr);
    }
    ~ApplicationWindowObject() override { Destroy(); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
            case SC_CLOSE:  // the task-bar entry's close command, also while a sub-window is open
                if (mainWindow) ::PostMessageW(mainWindow->Handle(), WM_CLOSE, 0, 0);
                return 0;
            case SC_MINIMIZE:
                MinimizeApplication();
                return 0;
            case SC_RESTORE:
                RestoreApplication();
                return 0;
            default:
                break;
            }
            break;
        case WM_ACTIVATE:
            // Activation belongs to the forms: hand it on.
            if (LOWORD(wParam) != WA_INACTIVE && !::IsIconic(Handle())) {
                HWND target = nullptr;
                for (HWND h : {iconPicker ? iconPicker->Handle() : nullptr,
                               linkBrowser ? linkBrowser->Handle() : nullptr, mainWindow ? mainWindow->Handle() : nullptr})
                    if (!target && h && ::IsWindowVisible(h) && ::IsWindowEnabled(h)) target = h;
                if (target) ::SetActiveWindow(target);
                return 0;
            }
            break;
        case WM_CLOSE:
            if (mainWindow) ::PostMessageW(mainWindow->Handle(), WM_CLOSE, 0, 0);
            return 0;
        default:
            break;
        }
        return Default(message, wParam, lParam);
    }
};

std::unique_ptr<ApplicationWindowObject> applicationWindow;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): one per process

// Tab, Shift+Tab and mnemonics within the form that holds the message.
bool HandleDialogKeys(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    for (Window* form :
         {static_cast<Window*>(mainWindow.get()), static_cast<Window*>(linkBrowser.get()),
          static_cast<Window*>(iconPicker.get())}) {
        if (!form || !form->Handle()) continue;
        HWND h = form->Handle();
        if (msg.hwnd == h || ::IsChild(h, msg.hwnd)) return ::IsDialogMessageW(h, &msg) != FALSE;
    }
    return false;
}

}  // namespace

void InitializeApplication() {
    if (!applicationWindow) {
        applicationWindow = std::make_unique<ApplicationWindowObject>();
        SetApplicationWindow(applicationWindow->Handle());
        ::ShowWindow(applicationWindow->Handle(), SW_SHOWNOACTIVATE);
    }
}

void CreateMainWindow() { mainWindow = std::make_unique<MainWindow>(MainWindowsSubWindows()); }

void CreateSubWindows() {
    linkBrowser = std::make_unique<LinkBrowser>();
    iconPicker = std::make_unique<IconPicker>();
}

void CreateWindowSet() {
    CreateMainWindow();
    CreateSubWindows();
}

void DestroyWindowSet() noexcept {
    iconPicker.reset();
    linkBrowser.reset();
    mainWindow.reset();
    hiddenByMinimize.clear();
}

void ShowMainWindow(int showCommand) {
    if (showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE || showCommand == SW_SHOWMINNOACTIVE) {
        mainWindow->Show();
        MinimizeApplication();
        return;
    }
    mainWindow->Show();
}

void PaintMainWindow() {
    if (mainWindow && mainWindow->Handle())
        ::RedrawWindow(mainWindow->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MinimizeApplication() {
    HWND app = ApplicationWindow();
    if (!app || ::IsIconic(app)) return;
    hiddenByMinimize.clear();
    for (Window* form :
         {static_cast<Window*>(mainWindow.get()), static_cast<Window*>(linkBrowser.get()),
          static_cast<Window*>(iconPicker.get())}) {
        if (form && form->Handle() && ::IsWindowVisible(form->Handle())) {
            hiddenByMinimize.push_back(form->Handle());
            ::ShowWindow(form->Handle(), SW_HIDE);
        }
    }
    ::ShowWindow(app, SW_MINIMIZE);
}

void RestoreApplication() {
    HWND app = ApplicationWindow();
    if (!app) return;
    ::ShowWindow(app, SW_RESTORE);
    ::SetWindowPos(app, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND h : hiddenByMinimize) ::ShowWindow(h, SW_SHOW);
    hiddenByMinimize.clear();
    ::SendMessageW(app, WM_ACTIVATE, WA_ACTIVE, 0);
}

void ProcessMessage(MSG& msg) {
    if (HandleDialogKeys(msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ProcessMessage(msg);
    return 0;
}

}  // namespace orbelune
