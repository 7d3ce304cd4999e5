// The arithmetic of a single-image .ico file as Orbelune writes it: row
// sizes, header sizes, the file header and the directory entry. Free of
// windows.h.
#pragma once

#include "platform/ico_file.h"

#include <cstddef>
#include <cstdint>

namespace orbelune {

// The file's header, its directory entry and the image's offset are those
// the reader checks (platform/ico_file.h).
inline constexpr std::uint32_t kDibHeaderSize = 40;

// The colour depth at which an icon is written, shared by the picker's
// choice and the writer; each is named by its depth code.
enum class IconDepth : int {
    Own = 0,          // the colour bitmap's own planes x bits
    Mask = 2,         // 1 bit, for the mask
    Colors16 = 16,    // 4 bits
    Colors256 = 256,  // 8 bits
    High = 65536,     // 16 bits
};

// The bit count a depth names; 0 for the icon's own (taken from its bitmap).
int BitCountOfDepth(IconDepth depth);

// Bytes of one stored pixel row, filled up to a multiple of 4 bytes:
// ((width x bits + 31) with the low five bits cleared) / 8, in 32 bits.
std::int32_t RowSize(std::int32_t width, int bitsPerPixel);

// The DIB header and what follows it before the pixels: a colour table of
// 2^bits entries up to 8 bits; above that 40, or 52 with colour masks.
std::uint32_t DibHeaderSize(unsigned bitCount, std::uint32_t compression);

// The 6-byte file header: reserved 0, type 1 (icon), one image.
void FillIcoFileHeader(std::uint8_t* out);

// The 16-byte directory entry as Orbelune writes it: width and height
// bytes, one 16-bit bit count (planes x bits), four zero bytes, the image
// size and the offset 22.
void FillIcoDirectoryEntry(std::uint8_t* out, std::int32_t width, std::int32_t height, unsigned planes,
                           unsigned bitCount, std::uint32_t imageSize);

// Gives a 32-bit colour image whose alpha bytes are all zero the alpha its
// mask means: 255 where the mask is opaque (bit 0), 0 where it is
// transparent (bit 1). Readers that honour alpha would otherwise show such
// an image as wholly transparent. An image with any alpha of its own is left
// as it is. Both images are stored rows of their row sizes, bottom row first
// for a positive height and top row first for a negative one; pixels that
// the mask does not cover count as opaque. Changes nothing, and gives false,
// when the colour bytes are fewer than its size needs or it has alpha.
bool FillAlphaFromMask(std::uint8_t* colour, std::size_t colourSize, std::int32_t width, std::int32_t height,
                       const std::uint8_t* mask, std::size_t maskSize, std::int32_t maskWidth, std::int32_t maskHeight);

}  // namespace orbelune
