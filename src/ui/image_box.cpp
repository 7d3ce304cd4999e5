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
        PaintDc paint(Handle(), background_);
        picture_.Draw(paint.Get(), 0, 0);
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
