#include "platform/icon_strip.h"

#include <algorithm>
#include <cstring>

namespace orbelune {

namespace {

constexpr int kMaskRowBytes = 4;  // 32 pixels at 1 bit, DWORD-aligned

struct MonoInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
};

BITMAPINFOHEADER TopDown(int width, int height, WORD bits) {
    return {sizeof(BITMAPINFOHEADER), width, -height, 1, bits, BI_RGB, 0, 0, 0, 0, 0};
}

}  // namespace

IconStrip::IconStrip(HIMAGELIST list)
    : list_(list),
      stripSized_([list] {
          int width = 0, height = 0;
          return ::ImageList_GetIconSize(list, &width, &height) && width == kSide && height == kSide;
      }()),
      dc_(::CreateCompatibleDC(nullptr)),
      colour_(static_cast<std::size_t>(kSide * kStripIcons * kSide)),
      mask_(static_cast<std::size_t>(kSide * kStripIcons * kSide / 8)),
      iconColour_(static_cast<std::size_t>(kSide * kSide)),
      iconMask_(static_cast<std::size_t>(kSide * kMaskRowBytes)),
      flushMask_(mask_.size()) {}

IconStrip::~IconStrip() { Flush(); }

int IconStrip::Add(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return -1;
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP c{}, m{};
    const bool stripped = stripSized_ && colour && ::GetObjectW(colour.Get(), sizeof c, &c) && c.bmBitsPixel == 32 &&
                          c.bmWidth == kSide && c.bmHeight == kSide && ::GetObjectW(mask.Get(), sizeof m, &m) &&
                          m.bmWidth == kSide && m.bmHeight == kSide;
    if (stripped) {
        BITMAPINFO colourInfo{TopDown(kSide, kSide, 32), {}};
        MonoInfo maskInfo{TopDown(kSide, kSide, 1), {}};
        if (::GetDIBits(dc_.Get(), colour.Get(), 0, kSide, iconColour_.data(), &colourInfo, DIB_RGB_COLORS) == kSide &&
            ::GetDIBits(dc_.Get(), mask.Get(), 0, kSide, iconMask_.data(), reinterpret_cast<BITMAPINFO*>(&maskInfo),
                        DIB_RGB_COLORS) == kSide) {
            // A mask whose set bits are not the table's white would turn
            // over; the platform's masks are black and white.
            return Hold(iconColour_.data(), iconMask_.data());
        }
    }
    // Any other icon: on its own, after those before it.
    Flush();
    return ::ImageList_AddIcon(list_, icon);
}

int IconStrip::AddPixels(const std::uint32_t* colour, const std::uint8_t* mask) {
    if (!stripSized_) return -1;
    return Hold(colour, mask);
}

int IconStrip::AddBlank() {
    if (stripSized_) {
        std::fill(iconColour_.begin(), iconColour_.end(), 0u);
        std::fill(iconMask_.begin(), iconMask_.end(), std::uint8_t{0xFF});
        return Hold(iconColour_.data(), iconMask_.data());
    }
    Flush();
    int width = 0, height = 0;
    ::ImageList_GetIconSize(list_, &width, &height);
    void* bits = nullptr;
    BITMAPINFO colourInfo{TopDown(width, height, 32), {}};
    const UniqueBitmap colour(::CreateDIBSection(dc_.Get(), &colourInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
    const std::vector<std::uint8_t> ones(static_cast<std::size_t>((width + 15) / 16 * 2 * height), 0xFF);
    const UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, ones.data()));
    if (!colour || !mask) return -1;
    return ::ImageList_Add(list_, colour.Get(), mask.Get());
}

int IconStrip::Hold(const std::uint32_t* colour, const std::uint8_t* mask) {
    static_assert(kMaskRowBytes == kSide / 8, "mask rows of a 32-pixel image need no padding");
    const auto stripWidth = static_cast<std::size_t>(kSide * kStripIcons);
    for (int y = 0; y < kSide; ++y) {
        std::memcpy(&colour_[static_cast<std::size_t>(y) * stripWidth + static_cast<std::size_t>(held_ * kSide)],
                    &colour[static_cast<std::size_t>(y * kSide)], kSide * sizeof(std::uint32_t));
        std::memcpy(&mask_[static_cast<std::size_t>(y) * stripWidth / 8 + static_cast<std::size_t>(held_ * kSide / 8)],
                    &mask[static_cast<std::size_t>(y * kMaskRowBytes)], kSide / 8);
    }
    const int index = ::ImageList_GetImageCount(list_) + held_;
    if (++held_ == kStripIcons) Flush();
    return index;
}

void IconStrip::Flush() noexcept {
    if (held_ == 0) return;
    const int width = held_ * kSide;
    const auto stripWidth = static_cast<std::size_t>(kSide * kStripIcons);
    // The held part of the strip, as a bitmap and a monochrome mask.
    void* bits = nullptr;
    BITMAPINFO colourInfo{TopDown(width, kSide, 32), {}};
    UniqueBitmap colour(::CreateDIBSection(dc_.Get(), &colourInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::uint8_t* maskRows = flushMask_.data();  // made beforehand: the destructor flushes too
    for (int y = 0; y < kSide; ++y) {
        if (bits)
            std::memcpy(static_cast<std::uint32_t*>(bits) + static_cast<std::size_t>(y * width),
                        &colour_[static_cast<std::size_t>(y) * stripWidth], static_cast<std::size_t>(width) * sizeof(std::uint32_t));
        std::memcpy(&maskRows[y * width / 8], &mask_[static_cast<std::size_t>(y) * stripWidth / 8],
                    static_cast<std::size_t>(width / 8));
    }
    UniqueBitmap mask(::CreateBitmap(width, kSide, 1, 1, maskRows));
    if (colour && mask) ::ImageList_Add(list_, colour.Get(), mask.Get());
    held_ = 0;
}

}  // namespace orbelune
