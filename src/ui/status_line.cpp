#include "ui/status_line.h"

#include "platform/handle.h"
#include "ui/form.h"

namespace orbelune {

namespace {
constexpr wchar_t kStatusClass[] = L"TStatusBar";
}

StatusLine::StatusLine(HWND parent, int id, int x, int y, int width, int height, COLORREF background, HFONT font)
    : background_(background), font_(font) {
    RegisterWindowClass(kStatusClass, nullptr, CS_HREDRAW | CS_VREDRAW);
    CreateNative(kStatusClass, 0, L"", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, id);
}

std::wstring StatusLine::Text() const { return WindowText(Handle()); }

void StatusLine::SetText(std::wstring_view text) { SetWindowTextIfChanged(Handle(), text); }

LRESULT StatusLine::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintDc paint(Handle(), background_);
        RECT area = paint.Client();
        area.top += 2;  // a gap above the text area, as status bars have
        ::DrawEdge(paint.Get(), &area, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        area.left += 2;
        const std::wstring text = Text();
        ScopedSelect selectFont(paint.Get(), font_);
        ::SetBkMode(paint.Get(), TRANSPARENT);
        ::SetTextColor(paint.Get(), ::GetSysColor(COLOR_BTNTEXT));
        ::DrawTextW(paint.Get(), text.c_str(), static_cast<int>(text.size()), &area,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        return 0;
    }
    case WM_SETTEXT: {
        const LRESULT result = Default(message, wParam, lParam);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return result;
    }
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace orbelune
