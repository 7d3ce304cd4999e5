#include "ui/panel.h"

#include "platform/handle.h"
#include "ui/form.h"

namespace orbelune {

namespace {
constexpr wchar_t kPanelClass[] = L"TPanel";
}

Panel::Panel(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height, COLORREF background,
             HFONT font)
    : background_(background), font_(font) {
    RegisterWindowClass(kPanelClass, nullptr, CS_HREDRAW | CS_VREDRAW);
    CreateNative(kPanelClass, 0, caption, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN, x, y, width, height,
                 parent, id);
    ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

std::wstring Panel::Caption() const { return WindowText(Handle()); }

void Panel::SetCaption(std::wstring_view caption) { SetWindowTextIfChanged(Handle(), caption); }

LRESULT Panel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintDc paint(Handle(), background_);
        RECT r = paint.Client();
        ::DrawEdge(paint.Get(), &r, BDR_RAISEDINNER, BF_RECT);
        const std::wstring caption = Caption();
        if (!caption.empty()) {
            ScopedSelect selectFont(paint.Get(), font_);
            ::SetBkMode(paint.Get(), TRANSPARENT);
            ::SetTextColor(paint.Get(), ::GetSysColor(COLOR_BTNTEXT));
            ::DrawTextW(paint.Get(), caption.c_str(), static_cast<int>(caption.size()), &r,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        return 0;
    }
    case WM_SETTEXT: {
        const LRESULT result = Default(message, wParam, lParam);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return result;
    }
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace orbelune
