// An image control: shows an icon at its natural size from its upper left
// corner, on its parent's background.
#pragma once

#include "app/window.h"
#include "platform/icon_image.h"

namespace orbelune {

class ImageBox final : public Window {
public:
    ImageBox(HWND parent, int id, int x, int y, int width, int height, COLORREF background);
    ~ImageBox() override { Destroy(); }

    const IconImage& Picture() const noexcept { return picture_; }
    void SetPicture(const IconImage& picture);
    void ClearPicture() { SetPicture(IconImage{}); }

    void SetVisible(bool visible) { ::ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE); }
    bool IsVisible() const { return ::IsWindowVisible(Handle()) != FALSE; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF background_;
    IconImage picture_;
};

}  // namespace orbelune
