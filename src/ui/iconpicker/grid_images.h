// The icon grid's images: each made when its cell is first asked for, from
// the listed file's mapped bytes, into an image list of bounded size.
//
// A library whose icons all fit the list holds icon i's image at index i,
// and its icons not yet asked for can be made ahead (MakeNext) while the
// window waits for input. A larger one shares the list's places among the
// icons asked for last; an icon whose place was taken is made again when it
// is asked for again. An image named by several icons is made into an icon
// once. An image the platform may take long to make (SlowToMake) is made on
// a thread of its own: its cells stay blank until it is there.
#pragma once

#include "platform/executable_icons.h"
#include "platform/handle.h"
#include "ui/icon_maker.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace orbelune {

class GridImages {
public:
    GridImages();

    // Images slow to make are made on a thread that posts `message` to
    // `window` when icons are there; the window then calls TakeMade. Without
    // a window (and until this is called) every icon is made at once.
    void MakeSlowIconsFor(HWND window, UINT message);
    // Puts the icons made on that thread in the cells that wait for them;
    // the items whose cells changed.
    std::vector<int> TakeMade();
    // Whether icons are being made on that thread.
    bool Making() const noexcept { return !awaited_.empty(); }

    // The list the grid draws from: the same for the object's life.
    HIMAGELIST List() const noexcept { return list_.Get(); }

    // Starts again for `count` icons of `icons` (kept alive by the caller
    // until the next Reset) at side x side pixels; no icons for nullptr.
    void Reset(const ExecutableIcons* icons, int count, int side);

    // The list index of icon `item`'s image, made now when it is not held.
    int ImageOf(int item);

    // Makes the first icon not yet made of a library that fits the list
    // whole; false when there is none left (or the library does not fit).
    bool MakeNext();

    // A new icon handle, owned by the caller, of icon `item` made at
    // size x size as the platform's extraction makes it; nullptr for none,
    // and nullptr with `later` set while it is being made: asked again
    // after TakeMade, it is there.
    HICON Icon(int item, int size, bool* later = nullptr);

    // How many images the list holds at most at that side.
    static int Capacity(int side);

private:
    // Makes icon `item` into the list's place `slot`.
    void Make(int item, int slot);
    void PutPixels(int slot, const std::uint32_t* colour, const std::uint8_t* mask);
    void PutBlank(int slot);
    // The icon made of an image at side x side, made once while it stays
    // among the last few made; nullptr when the platform makes none, or
    // with `later` set while it is being made. The object keeps it.
    HICON MadeIcon(ImageBytes image, int side, bool& later);
    HICON Keep(std::uint64_t hash, std::size_t size, int side, UniqueIcon icon);

    UniqueImageList list_;
    UniqueDc dc_;
    const ExecutableIcons* icons_ = nullptr;
    int count_ = 0;
    int side_ = 0;
    bool decode_ = false;   // plain images of the grid's size are decoded straight from their bytes
    bool whole_ = false;    // icon i is at place i
    int nextToMake_ = 0;    // a whole library's first icon perhaps not made
    int nextSlot_ = 0;      // otherwise, the place taken next
    std::vector<int> slotOf_;   // per icon: its place, -1 for none
    std::vector<int> itemAt_;   // per place: its icon, -1 for none
    std::vector<std::uint32_t> colour_;
    std::vector<std::uint8_t> mask_;
    // The bitmaps an image's pixels are put into the list from.
    UniqueBitmap colourBitmap_, maskBitmap_;
    std::uint32_t* colourBits_ = nullptr;
    int bitmapSide_ = 0;

    struct Made {
        std::uint64_t hash = 0;
        std::size_t size = 0;
        int side = 0;
        UniqueIcon icon;
    };
    static constexpr std::size_t kMadeKept = 16;
    std::vector<Made> made_;
    std::size_t nextMade_ = 0;

    // The images being made on the maker's thread, and the cells waiting
    // for them.
    std::unique_ptr<IconMaker> maker_;
    struct Awaited {
        std::uint64_t hash = 0;
        std::size_t size = 0;
        int side = 0;
    };
    std::vector<Awaited> awaited_;
    struct Waiting {
        int item = 0;
        std::uint64_t hash = 0;
    };
    std::vector<Waiting> waiting_;
};

}  // namespace orbelune
