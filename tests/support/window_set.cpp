#include "support/window_set.h"

#include "ui/iconpicker/icon_picker.h"
#include "ui/linkbrowser/link_browser.h"
#include "ui/main/main_window.h"

namespace orbelune {

namespace {

template <typename Form>
Form* FindForm(const wchar_t* className) noexcept {
    for (HWND h = ::FindWindowExW(nullptr, nullptr, className, nullptr); h;
         h = ::FindWindowExW(nullptr, h, className, nullptr)) {
        if (::GetWindowThreadProcessId(h, nullptr) != ::GetCurrentThreadId()) continue;
        if (auto* form = dynamic_cast<Form*>(Window::FromHandle(h))) return form;
    }
    return nullptr;
}

}  // namespace

MainWindow* TheMainWindow() noexcept { return FindForm<MainWindow>(L"TForm1"); }
LinkBrowser* TheLinkBrowser() noexcept { return FindForm<LinkBrowser>(L"TForm2"); }
IconPicker* TheIconPicker() noexcept { return FindForm<IconPicker>(L"TForm3"); }

}  // namespace orbelune
