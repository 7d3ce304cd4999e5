#include "ui/iconpicker/grid_images.h"

#include <algorithm>
#include <cstring>

namespace orbelune {

namespace {

// The images a list holds at most: 4 MiB of colour pixels (1,024 icons of
// 32 x 32), and never fewer than a few screens of the grid.
constexpr int kPixelBudget = 1024 * 32 * 32;
constexpr int kFewestImages = 128;
// Plain images of this size are decoded straight from their bytes.
constexpr int kDecodedSide = 32;

struct MonoInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
};

// A monochrome bitmap's bytes, its rows in whole words, as SetBitmapBits
// takes them.
std::size_t MaskBytes(int side) { return static_cast<std::size_t>((side + 15) / 16 * 2 * side); }

BITMAPINFOHEADER TopDown(int width, int height, WORD bits) {
    return {sizeof(BITMAPINFOHEADER), width, -height, 1, bits, BI_RGB, 0, 0, 0, 0, 0};
}

// The platform reduces an icon's colours to the display's: decoded pixels
// are the platform's only where the display keeps 24 bits or more.
bool DisplayKeepsTrueColour() {
    HDC screen = ::GetDC(nullptr);
    const int bits = ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
    ::ReleaseDC(nullptr, screen);
    return bits >= 24;
}

std::uint64_t HashOf(ImageBytes image) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (std::size_t i = 0; i < image.size; ++i) hash = (hash ^ image.data[i]) * 1099511628211ull;
    return hash;
}

}  // namespace

GridImages::GridImages()
    : list_(::ImageList_Create(kDecodedSide, kDecodedSide, ILC_COLOR32 | ILC_MASK, 1, 16)),
      dc_(::CreateCompatibleDC(nullptr)),
      colour_(static_cast<std::size_t>(kDecodedSide * kDecodedSide)),
      mask_(MaskBytes(kDecodedSide)) {
    made_.resize(kMadeKept);
}

int GridImages::Capacity(int side) { return std::max(kFewestImages, kPixelBudget / std::max(side * side, 1)); }

void GridImages::Reset(const ExecutableIcons* icons, int count, int side) {
    icons_ = icons;
    count_ = icons ? std::max(count, 0) : 0;
    side_ = side;
    decode_ = side == kDecodedSide && DisplayKeepsTrueColour();
    whole_ = count_ <= Capacity(side);
    nextToMake_ = nextSlot_ = 0;
    // Emptied of every image, then set to the size; the places of the icons
    // are made when they are first drawn. Only emptying forgets what the
    // list knows of each place beside its pixels (whether its image has an
    // alpha channel, which a later image without one does not undo: drawn
    // through that image's alpha of 0, it shows nothing); a new size or
    // count keeps it.
    ::ImageList_Remove(list_.Get(), -1);
    ::ImageList_SetIconSize(list_.Get(), side, side);
    const int places = std::min(count_, Capacity(side));
    ::ImageList_SetImageCount(list_.Get(), static_cast<UINT>(places));
    slotOf_.assign(static_cast<std::size_t>(count_), -1);
    itemAt_.assign(static_cast<std::size_t>(places), -1);
    for (Made& m : made_) m = Made{};
    nextMade_ = 0;
    // What is being made for the listing before is not waited for.
    if (maker_) maker_->Forget();
    awaited_.clear();
    waiting_.clear();
}

void GridImages::MakeSlowIconsFor(HWND window, UINT message) {
    maker_.reset();
    if (window) maker_ = std::make_unique<IconMaker>(window, message);
}

std::vector<int> GridImages::TakeMade() {
    std::vector<int> changed;
    if (!maker_) return changed;
    for (IconMaker::Made& made : maker_->Take()) {
        const auto awaited = std::find_if(awaited_.begin(), awaited_.end(), [&](const Awaited& a) {
            return a.hash == made.key && a.side == made.side;
        });
        if (awaited == awaited_.end()) continue;
        const Awaited a = *awaited;
        awaited_.erase(awaited);
        const HICON icon = Keep(a.hash, a.size, a.side, std::move(made.icon));
        if (a.side != side_) continue;
        std::erase_if(waiting_, [&](const Waiting& w) {
            if (w.hash != a.hash) return false;
            // A cell whose place was taken by another icon meanwhile is made
            // again when it is drawn again.
            const int slot = w.item < count_ ? slotOf_[static_cast<std::size_t>(w.item)] : -1;
            if (slot >= 0) {
                if (!icon || ::ImageList_ReplaceIcon(list_.Get(), slot, icon) < 0) PutBlank(slot);
                changed.push_back(w.item);
            }
            return true;
        });
    }
    return changed;
}

int GridImages::ImageOf(int item) {
    if (item < 0 || item >= count_) return -1;
    int& slot = slotOf_[static_cast<std::size_t>(item)];
    if (slot >= 0) return slot;
    if (whole_) {
        Make(item, item);
        return slot = item;
    }
    // The place made longest ago; the icons drawn at the same time are far
    // fewer than the places.
    const int taken = nextSlot_;
    nextSlot_ = (nextSlot_ + 1) % static_cast<int>(itemAt_.size());
    int& before = itemAt_[static_cast<std::size_t>(taken)];
    if (before >= 0) slotOf_[static_cast<std::size_t>(before)] = -1;
    before = item;
    Make(item, taken);
    return slot = taken;
}

bool GridImages::MakeNext() {
    if (!whole_) return false;
    while (nextToMake_ < count_ && slotOf_[static_cast<std::size_t>(nextToMake_)] >= 0) ++nextToMake_;
    if (nextToMake_ >= count_) return false;
    ImageOf(nextToMake_++);
    return true;
}

HICON GridImages::Icon(int item, int size, bool* later) {
    if (later) *later = false;
    if (!icons_ || item < 0 || item >= count_) return nullptr;
    bool wait = false;
    const HICON made = MadeIcon(icons_->ChosenImage(static_cast<std::size_t>(item), size, size), size, wait);
    if (later) *later = wait;
    return made ? ::CopyIcon(made) : nullptr;
}

void GridImages::Make(int item, int slot) {
    const ImageBytes chosen = icons_->ChosenImage(static_cast<std::size_t>(item), side_, side_);
    if (decode_ && ExecutableIcons::Pixels(chosen, kDecodedSide, colour_.data(), mask_.data())) {
        PutPixels(slot, colour_.data(), mask_.data());
        return;
    }
    // Where the platform makes no icon the cell stays blank; also while the
    // icon is being made.
    bool later = false;
    const HICON icon = MadeIcon(chosen, side_, later);
    if (later) waiting_.push_back({item, HashOf(chosen)});
    if (!icon || ::ImageList_ReplaceIcon(list_.Get(), slot, icon) < 0) PutBlank(slot);
}

void GridImages::PutPixels(int slot, const std::uint32_t* colour, const std::uint8_t* mask) {
    // As the list reads an icon's bitmaps: colour in 32 bits, a monochrome
    // mask, both top row first; the two bitmaps serve every image of a size.
    if (bitmapSide_ != side_) {
        BITMAPINFO colourInfo{TopDown(side_, side_, 32), {}};
        void* bits = nullptr;
        colourBitmap_.Reset(::CreateDIBSection(dc_.Get(), &colourInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
        colourBits_ = static_cast<std::uint32_t*>(bits);
        maskBitmap_.Reset(::CreateBitmap(side_, side_, 1, 1, nullptr));
        bitmapSide_ = colourBitmap_ && maskBitmap_ ? side_ : 0;
        if (!bitmapSide_) return;
    }
    std::memcpy(colourBits_, colour, static_cast<std::size_t>(side_ * side_) * sizeof(std::uint32_t));
    ::SetBitmapBits(maskBitmap_.Get(), static_cast<DWORD>(MaskBytes(side_)), mask);
    ::GdiFlush();
    ::ImageList_Replace(list_.Get(), slot, colourBitmap_.Get(), maskBitmap_.Get());
}

void GridImages::PutBlank(int slot) {
    // No colour, every pixel transparent; mask rows are whole words.
    const std::vector<std::uint32_t> colour(static_cast<std::size_t>(side_ * side_), 0u);
    const std::vector<std::uint8_t> mask(MaskBytes(side_), 0xFF);
    PutPixels(slot, colour.data(), mask.data());
}

HICON GridImages::MadeIcon(ImageBytes image, int side, bool& later) {
    later = false;
    if (!image) return nullptr;
    const std::uint64_t hash = HashOf(image);
    for (const Made& m : made_)
        if (m.side == side && m.size == image.size && m.hash == hash) return m.icon.Get();
    if (maker_ && SlowToMake(image)) {
        // Asked for once, from a copy of its bytes: the file's view may be
        // let go before it is made.
        later = true;
        for (const Awaited& a : awaited_)
            if (a.side == side && a.size == image.size && a.hash == hash) return nullptr;
        maker_->Ask(image, side, hash);
        awaited_.push_back({hash, image.size, side});
        return nullptr;
    }
    return Keep(hash, image.size, side, UniqueIcon(ExecutableIcons::Make(image, side, side)));
}

HICON GridImages::Keep(std::uint64_t hash, std::size_t size, int side, UniqueIcon icon) {
    Made& slot = made_[nextMade_];
    nextMade_ = (nextMade_ + 1) % made_.size();
    slot.hash = hash;
    slot.size = size;
    slot.side = side;
    slot.icon = std::move(icon);
    return slot.icon.Get();
}

}  // namespace orbelune
