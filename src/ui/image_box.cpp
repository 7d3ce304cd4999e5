#include "ui/image_box.h"

#include "platform/handle.h"

namespace orbelune {

namespace {
constexpr wchar_t kImageClass[] = L"TImage";
}

ImageBox::ImageBox(HWND parent, int id, int x, int y, int width, int height, COLORREF background)
    : background_(background) {
    RegisterWindowClass(kImageClass, nullptr);
    CreateNative(kImageClass, 0, L"", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, id);
}

void ImageBox::SetPicture(const IconImage& picture) {
    picture_ = picture;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT ImageBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(Handle(), &ps);
        RECT r;
        ::GetClientRect(Handle(), &r);
        UniqueBrush brush(::CreateSolidBrush(background_));
        ::FillRect(dc, &r, brush.Get());
        picture_.Draw(dc, 0, 0);
        ::EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace orbelune
