// Icons added to an image list in strips: each icon's colour and mask
// pixels, read once, go into the list with one ImageList_Add per strip
// instead of one ImageList_AddIcon per icon, which copies every icon three
// times over. The list ends up holding the same images; an icon whose colour
// bitmap is not 32 x 32 at 32 bits (the only kind the list would store by
// its alpha path) is added on its own with ImageList_AddIcon, in turn.
#pragma once

#include "platform/handle.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

namespace orbelune {

class IconStrip {
public:
    // A list of 32 x 32 images with a mask, 32 bits per pixel, gets its
    // icons in strips; a list of another size gets each on its own.
    explicit IconStrip(HIMAGELIST list);
    // Adds what is still held.
    ~IconStrip();
    IconStrip(const IconStrip&) = delete;
    IconStrip& operator=(const IconStrip&) = delete;

    // Queues the icon; its image gets the returned index in the list. The
    // caller keeps (and may destroy) the icon. -1 when the icon cannot be read.
    int Add(HICON icon);
    // Queues an image given by its pixels: kSide x kSide colour pixels
    // (0x00RRGGBB or with alpha, top row first) and its mask (kSide rows of
    // kSide / 8 bytes, top row first), as the list would read them from an
    // icon. -1 when the list's images are not of that size.
    int AddPixels(const std::uint32_t* colour, const std::uint8_t* mask);
    // Queues a blank image: no colour, every pixel transparent. Its index.
    int AddBlank();
    // Adds the queued images to the list.
    void Flush() noexcept;

    static constexpr int kSide = 32;

private:
    int Hold(const std::uint32_t* colour, const std::uint8_t* mask);

    static constexpr int kStripIcons = 64;

    HIMAGELIST list_;
    bool stripSized_;  // the list's images are kSide x kSide
    UniqueDc dc_;
    int held_ = 0;
    std::vector<std::uint32_t> colour_;  // kSide rows of kStripIcons * kSide pixels, top row first
    std::vector<std::uint8_t> mask_;     // kSide rows of kStripIcons * kSide / 8 bytes
    std::vector<std::uint32_t> iconColour_;
    std::vector<std::uint8_t> iconMask_;
    std::vector<std::uint8_t> flushMask_;  // the held part of mask_, its rows joined
};

}  // namespace orbelune
