// The pixels of a plain icon image (a bitmap header, its colour table, the
// colour rows and the mask rows, as icon resources and .ico files hold it),
// decoded as the platform gives them back from an icon it made of that image
// at its own size on a true-colour display: 32-bit pixels 0x00RRGGBB (a
// 32-bit image keeps its alpha byte) and the mask at one bit a pixel; and
// the check that an image is safe to hand to the platform at all. Free of
// windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orbelune {

// Decodes an image of exactly side x side pixels, uncompressed, at 1, 4, 8,
// 24 or 32 bits a pixel, into `colour` (side * side pixels, top row first)
// and `mask` (side rows of side / 8 bytes, top row first). false, with
// nothing promised of the buffers, for any other image (another size, a PNG
// image, compression, 16 bits, a black-and-white image, which the platform
// makes into a monochrome icon, a pixel past a short colour table, no mask)
// or one whose parts do not fit `size`; those are left to the platform.
// `side` is a multiple of 8.
bool DecodeIconPixels(const std::uint8_t* image, std::size_t size, int side, std::uint32_t* colour,
                      std::uint8_t* mask);

// What the platform makes of an icon image (CreateIconFromResourceEx):
enum class PlatformImage {
    Fits,    // its own icon, or none, reading no more than IconImageReach
    NoIcon,  // none (fewer than 12 bytes)
    Unsafe,  // reads it might make anywhere: an animated-cursor chunk list it
             // does not bound, image sizes its 32-bit arithmetic wraps
};

// The judgement of `size` bytes of an image, from at most its first 48.
PlatformImage JudgeIconImage(const std::uint8_t* image, std::size_t size);

// How many bytes from the image's start the platform reads whatever its
// size: its first four, and a 1-bit image's first two colours. They must be
// there, the image's or what follows it.
std::size_t IconImageReach(const std::uint8_t* image, std::size_t size);

// Whether the platform may be asked to make an icon of these bytes.
inline bool IconImageFitsPlatform(const std::uint8_t* image, std::size_t size) {
    return JudgeIconImage(image, size) == PlatformImage::Fits;
}

}  // namespace orbelune
