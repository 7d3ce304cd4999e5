// Icons the platform may take long to make (a PNG image of many pixels,
// decoded whole before it is brought to an icon's size), made on a thread
// of their own so that the window that shows them keeps answering. Each is
// made from a copy of the image's bytes and handed back to the window by a
// posted message; what was asked for before Forget, or before the maker was
// destroyed, is thrown away when it is made. However many makers and waits
// there are, one such image is made at a time: the platform holds a large
// PNG image whole while it makes it.
#pragma once

#include "platform/executable_icons.h"
#include "platform/handle.h"
#include "platform/icon_image.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace orbelune {

// Whether the platform may take long to make an icon of the image: a PNG
// image stating more than kSlowPixels pixels, or any image of more than
// kSlowBytes. Any ordinary icon, and a PNG image of up to 1024 x 1024
// (some 30 ms), is made at once.
inline constexpr std::uint64_t kSlowPixels = 1024ull * 1024;
inline constexpr std::size_t kSlowBytes = std::size_t{4} * 1024 * 1024;
bool SlowToMake(ImageBytes image);

// The image made into an icon at width x height (0 x 0: its own size), as
// ExecutableIcons::Make makes it, on a thread of its own: meanwhile this
// thread's windows keep answering, disabled as under a modal box, with the
// wait cursor, and Esc stops the wait. nullptr for none, and with `stopped`
// set when the wait was stopped.
HICON MakeWhileAnswering(const ImageBytes& image, int width, int height, bool& stopped);
// An icon read from a file whose image is slow to make is made so, at its
// own size; false when the wait was stopped.
bool MakeWhileAnswering(IconImage& icon);

class IconMaker {
public:
    // Made icons are announced by posting `message` to `window`.
    IconMaker(HWND window, UINT message);
    // Lets the thread go: what it is making is thrown away once made.
    ~IconMaker();
    IconMaker(const IconMaker&) = delete;
    IconMaker& operator=(const IconMaker&) = delete;

    // Asks for the image made into an icon at side x side, as
    // ExecutableIcons::Make makes it; `key` comes back with it.
    void Ask(const ImageBytes& image, int side, std::uint64_t key);
    // Drops everything asked for so far.
    void Forget();

    struct Made {
        std::uint64_t key = 0;
        int side = 0;
        UniqueIcon icon;  // none where the platform makes none
    };
    // The icons made since the last call, in the order asked for.
    std::vector<Made> Take();

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    HWND window_;
    UINT message_;
    bool started_ = false;
};

}  // namespace orbelune
