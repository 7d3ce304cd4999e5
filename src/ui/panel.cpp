#include "ui/panel.h"

#include "platform/handle.h"
#include "ui/form.h"

namespace orbelune {

namespace {
constexpr wchar_t kPanelClass[] = L"TPanel";
}

Panel::Panel(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height, COLORREF background,
             HFONT font, Look look)
    : background_(background), font_(font), look_(look) {
    RegisterWindowClass(kPanelClass, nullptr, CS_HREDRAW | CS_VREDRAW);
    const DWORD border = look == Look::Raised ? WS_BORDER : 0;
    CreateNative(kPanelClass, 0, caption, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | border, x, y, width, height,
                 parent, id);
}

std::wstring Panel::Caption() const { return WindowText(Handle()); }

void Panel::SetCaption(std::wstring_view caption) { SetWindowTextIfChanged(Handle(), caption); }

void Panel::Paint() {
    PaintDc paint(Handle(), SurfaceColor(Handle(), background_));
    RECT area = paint.Client();
    UINT format = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    if (look_ == Look::Raised) {
        ::DrawEdge(paint.Get(), &area, BDR_RAISEDINNER, BF_RECT);
        format |= DT_CENTER;
    } else {
        const int gap = Scale(2, DpiOf(Handle()));
        area.top += gap;  // a gap above the text area, as status bars have
        ::DrawEdge(paint.Get(), &area, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        area.left += gap;
        format |= DT_LEFT | DT_END_ELLIPSIS;
    }
    const std::wstring caption = Caption();
    if (caption.empty()) return;
    ScopedSelect selectFont(paint.Get(), font_);
    ::SetBkMode(paint.Get(), TRANSPARENT);
    ::SetTextColor(paint.Get(), ::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextW(paint.Get(), caption.c_str(), static_cast<int>(caption.size()), &area, format);
}

LRESULT Panel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
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
