#include "app/application.h"

#include "app/window.h"
#include "ui/iconpicker/form3.h"
#include "ui/linkbrowser/form2.h"
#include "ui/main/form1.h"

#include <memory>
#include <vector>

namespace orbelune {

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;

namespace {

constexpr wchar_t kApplicationClass[] = L"TApplication";

std::unique_ptr<TForm1> form1;
std::unique_ptr<TForm2> form2;
std::unique_ptr<TForm3> form3;

// The forms hidden by minimising, shown again on restore.
std::vector<HWND> hiddenByMinimize;

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
                if (Form1) ::PostMessageW(Form1->Handle(), WM_CLOSE, 0, 0);
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
                for (HWND h : {Form3 ? Form3->Handle() : nullptr, Form2 ? Form2->Handle() : nullptr,
                               Form1 ? Form1->Handle() : nullptr})
                    if (!target && h && ::IsWindowVisible(h) && ::IsWindowEnabled(h)) target = h;
                if (target) ::SetActiveWindow(target);
                return 0;
            }
            break;
        case WM_CLOSE:
            if (Form1) ::PostMessageW(Form1->Handle(), WM_CLOSE, 0, 0);
            return 0;
        default:
            break;
        }
        return Default(message, wParam, lParam);
    }
};

std::unique_ptr<ApplicationWindowObject> applicationWindow;

// Tab, Shift+Tab and mnemonics within the form that holds the message.
bool HandleDialogKeys(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    for (Window* form : {static_cast<Window*>(Form1), static_cast<Window*>(Form2), static_cast<Window*>(Form3)}) {
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
        ::ShowWindow(applicationWindow->Handle(), SW_SHOWNOACTIVATE);
    }
}

HWND ApplicationWindow() noexcept { return applicationWindow ? applicationWindow->Handle() : nullptr; }

void CreateWindowSet() {
    form1 = std::make_unique<TForm1>();
    Form1 = form1.get();
    form2 = std::make_unique<TForm2>();
    Form2 = form2.get();
    form3 = std::make_unique<TForm3>();
    Form3 = form3.get();
}

void DestroyWindowSet() noexcept {
    form3.reset();
    Form3 = nullptr;
    form2.reset();
    Form2 = nullptr;
    form1.reset();
    Form1 = nullptr;
    hiddenByMinimize.clear();
}

void ShowMainWindow(int showCommand) {
    if (showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE || showCommand == SW_SHOWMINNOACTIVE) {
        Form1->Show();
        MinimizeApplication();
        return;
    }
    Form1->Show();
}

void MinimizeApplication() {
    HWND app = ApplicationWindow();
    if (!app || ::IsIconic(app)) return;
    hiddenByMinimize.clear();
    for (Window* form : {static_cast<Window*>(Form1), static_cast<Window*>(Form2), static_cast<Window*>(Form3)}) {
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
