// An image control: shows an icon at its natural size from its upper left
// corner, on its parent's background. The natural size is the icon's size
// at 96 dpi: on a scaled display the image draws the icon at the scaled
// size, made afresh from where the icon came from (the icon file's images,
// or the file whose icon it is) rather than stretched. An image slow to make
// at that size (SlowToMake) is made on a thread of its own; the image shows
// nothing until it is there.
#pragma once

#include "app/window.h"
#include "platform/handle.h"
#include "platform/icon_image.h"
#include "ui/icon_maker.h"

#include <memory>
#include <string>

namespace orbelune {

// An icon's size in pixels; 0 x 0 for none.
SIZE IconSizeOf(HICON icon);

// The icon at `index` of a file (.exe, .dll, .ico), at size x size pixels:
// the file's image of that size, or the system's scaling of the nearest one,
// read through the checked readers. nullptr when the file has no such icon
// or is damaged.
HICON ExtractIconAtSize(const std::wstring& path, int index, int size);
// The icon the shell shows for a file, at size x size pixels; nullptr when
// there is none.
HICON AssociatedIconAtSize(const std::wstring& path, int size);

class ImageBox final : public Window {
public:
    // Where a picture given as a handle came from: the icon at `index` of
    // `file`, or the icon the shell shows for `file` (kAssociated).
    static constexpr int kAssociated = -1;
    struct Source {
        std::wstring file;
        int index = kAssociated;
    };

    ImageBox(HWND parent, int id, int x, int y, int width, int height, COLORREF background);
    ~ImageBox() override {
        maker_.reset();  // nothing made any more is posted to the window
        Destroy();
    }

    const IconImage& Picture() const noexcept { return picture_; }
    // A picture read from an icon file is drawn from the file's images; one
    // given as a handle from its source when it has one.
    void SetPicture(const IconImage& picture, Source source);
    void SetPicture(const IconImage& picture) { SetPicture(picture, Source{}); }
    void ClearPicture() { SetPicture(IconImage{}); }

    void SetVisible(bool visible) { ::ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE); }
    bool IsVisible() const { return ::IsWindowVisible(Handle()) != FALSE; }

    // The size the picture is drawn at: its natural size scaled to the DPI
    // of the image's window; 0 x 0 without a picture.
    SIZE DrawnSize() const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
    // An icon of that natural size as drawn at the image's DPI.
    SIZE DrawnSize(SIZE natural) const;
    // The picture made at the drawn size, kept until the picture or the
    // size changes; nullptr when it cannot be made, and with `later` set
    // while it is being made.
    HICON ScaledIcon(SIZE size, bool& later);
    // The image the picture is made of at that size, when it is slow to
    // make; empty otherwise.
    ImageCopy SlowImage(SIZE size) const;

    COLORREF background_;
    IconImage picture_;
    Source source_;
    UniqueIcon scaled_;
    SIZE scaledSize_{0, 0};
    bool scaledLater_ = false;  // the scaled picture is being made
    bool scaledMade_ = false;   // it was made there, or none could be
    unsigned pictures_ = 0;     // counts pictures: what is made belongs to the last
    std::unique_ptr<IconMaker> maker_;
};

}  // namespace orbelune
