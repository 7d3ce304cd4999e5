#include "ui/image_box.h"

#include "platform/executable_icons.h"
#include "platform/failure.h"
#include "ui/form.h"

#include <shellapi.h>

#include <cstdlib>

namespace orbelune {

namespace {
constexpr wchar_t kImageClass[] = L"TImage";
// The scaled picture, made on the icon maker's thread, is there.
constexpr UINT kScaledMadeMessage = WM_APP + 1;
}  // namespace

SIZE IconSizeOf(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {0, 0};
    UniqueBitmap mask(info.hbmMask);
    UniqueBitmap colour(info.hbmColor);
    BITMAP bm{};
    ::GetObjectW(colour ? colour.Get() : mask.Get(), sizeof bm, &bm);
    return {bm.bmWidth, colour ? bm.bmHeight : bm.bmHeight / 2};
}

HICON ExtractIconAtSize(const std::wstring& path, int index, int size) { return ExtractCheckedIcon(path, index, size); }

HICON AssociatedIconAtSize(const std::wstring& path, int size) {
    // Where the shell's icon lies in a file (the file itself for programs,
    // screen savers, icon files and their like), that file is read through
    // the checked readers: the shell's own extraction never sees it.
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION) && info.szDisplayName[0] &&
        info.szDisplayName[0] != L'*')
        return ExtractCheckedIcon(info.szDisplayName, info.iIcon, size);
    // Else the shell's icon of its own, brought to the size.
    info = SHFILEINFOW{};
    if (!::SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON) || !info.hIcon)
        return nullptr;
    UniqueIcon large(info.hIcon);
    const SIZE got = IconSizeOf(large.Get());
    if (got.cx == size && got.cy == size) return large.Release();
    return static_cast<HICON>(::CopyImage(large.Get(), IMAGE_ICON, size, size, 0));
}

ImageBox::ImageBox(HWND parent, int id, int x, int y, int width, int height, COLORREF background)
    : background_(background) {
    RegisterWindowClass(kImageClass, nullptr);
    CreateNative(kImageClass, 0, L"", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, id);
    maker_ = std::make_unique<IconMaker>(Handle(), kScaledMadeMessage);
}

void ImageBox::SetPicture(const IconImage& picture, Source source) {
    picture_ = picture;
    source_ = std::move(source);
    scaled_.Reset();
    scaledSize_ = {0, 0};
    scaledLater_ = scaledMade_ = false;
    ++pictures_;
    if (maker_) maker_->Forget();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

SIZE ImageBox::DrawnSize() const { return DrawnSize(IconSizeOf(picture_.Handle())); }

SIZE ImageBox::DrawnSize(SIZE natural) const {
    const int dpi = DpiOf(Handle());
    return {Scale(natural.cx, dpi), Scale(natural.cy, dpi)};
}

ImageCopy ImageBox::SlowImage(SIZE size) const {
    ImageCopy image;
    try {
        if (const std::wstring* file = picture_.SourceFile()) {
            image = IconFileImageAtSize(*file, size.cx);
        } else if (!source_.file.empty() && source_.index >= 0) {
            const ExecutableIcons icons(source_.file);
            const ImageBytes chosen = icons.ChosenImage(static_cast<std::size_t>(source_.index), size.cx, size.cy);
            if (!icons.Refused() && SlowToMake(chosen)) return ImageCopy(chosen);
            return {};
        }
    } catch (const Failure&) {
        return {};  // made, or not, as before
    }
    if (!SlowToMake(image.Bytes())) image = {};
    return image;
}

HICON ImageBox::ScaledIcon(SIZE size, bool& later) {
    const bool same = scaledSize_.cx == size.cx && scaledSize_.cy == size.cy;
    later = same && scaledLater_;
    if (same && (scaled_ || scaledLater_ || scaledMade_)) return scaled_.Get();
    if (ImageCopy slow; maker_ && !(slow = SlowImage(size)).Empty()) {
        maker_->Ask(slow.Bytes(), size.cx, pictures_);
        scaled_.Reset();
        scaledSize_ = size;
        scaledLater_ = later = true;
        scaledMade_ = false;
        return nullptr;
    }
    HICON icon = nullptr;
    if (const std::wstring* file = picture_.SourceFile()) {
        // The file's own image for that size; while the file cannot be read
        // (gone, or changed since), the picture is brought to size.
        try {
            icon = LoadIconFileAtSize(*file, size.cx);
        } catch (const Failure&) {
        }
    } else if (!source_.file.empty())
        icon = source_.index == kAssociated ? AssociatedIconAtSize(source_.file, size.cx)
                                            : ExtractIconAtSize(source_.file, source_.index, size.cx);
    scaled_.Reset(icon);
    scaledSize_ = size;
    scaledLater_ = scaledMade_ = false;
    return icon;
}

void ImageBox::Paint(HDC dc) {
    HICON icon = picture_.Handle();
    if (!icon) return;
    const SIZE natural = IconSizeOf(icon);
    const SIZE drawn = DrawnSize(natural);
    if (drawn.cx == natural.cx && drawn.cy == natural.cy) {
        picture_.Draw(dc, 0, 0);
        return;
    }
    // Without a source to make it from, the picture itself is brought to
    // size; nothing is drawn while the scaled picture is being made.
    bool later = false;
    HICON scaled = ScaledIcon(drawn, later);
    if (later) return;
    ::DrawIconEx(dc, 0, 0, scaled ? scaled : icon, drawn.cx, drawn.cy, 0, nullptr, DI_NORMAL);
}

LRESULT ImageBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintDc paint(Handle(), SurfaceColor(Handle(), background_));
        Paint(paint.Get());
        return 0;
    }
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case kScaledMadeMessage:
        if (!maker_) return 0;
        for (IconMaker::Made& made : maker_->Take()) {
            if (made.key != pictures_ || !scaledLater_ || made.side != scaledSize_.cx) continue;
            scaled_ = std::move(made.icon);
            scaledLater_ = false;
            scaledMade_ = true;
            ::InvalidateRect(Handle(), nullptr, TRUE);
        }
        return 0;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace orbelune
