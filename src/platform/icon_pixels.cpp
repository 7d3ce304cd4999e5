#include "platform/icon_pixels.h"

#include <cstring>

namespace orbelune {

namespace {

std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Bytes of one row of `width` pixels at `bits`, padded to four bytes.
std::size_t RowBytes(std::size_t width, std::size_t bits) { return (width * bits + 31) / 32 * 4; }

}  // namespace

bool DecodeIconPixels(const std::uint8_t* image, std::size_t size, int side, std::uint32_t* colour,
                      std::uint8_t* mask) {
    constexpr std::size_t kInfoHeaderSize = 40;
    if (side <= 0 || side % 8 != 0 || size < kInfoHeaderSize || Read32(image) != kInfoHeaderSize) return false;
    const auto width = static_cast<std::int32_t>(Read32(image + 4));
    const auto height = static_cast<std::int32_t>(Read32(image + 8));  // colour and mask rows
    const std::uint16_t planes = Read16(image + 12);
    const std::uint16_t bits = Read16(image + 14);
    const std::uint32_t compression = Read32(image + 16);
    const std::uint32_t coloursUsed = Read32(image + 32);
    if (width != side || height != 2 * side || planes != 1 || compression != 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;

    const std::size_t n = static_cast<std::size_t>(side);
    std::size_t tableEntries = 0;
    if (bits <= 8) {
        const std::size_t most = std::size_t{1} << bits;
        if (coloursUsed > most) return false;
        tableEntries = coloursUsed == 0 ? most : coloursUsed;
    }
    const std::size_t tableOffset = kInfoHeaderSize;
    const std::size_t colourOffset = tableOffset + tableEntries * 4;
    const std::size_t colourRow = RowBytes(n, bits);
    const std::size_t maskOffset = colourOffset + colourRow * n;
    const std::size_t maskRow = RowBytes(n, 1);
    if (maskOffset + maskRow * n > size) return false;

    const std::uint8_t* table = image + tableOffset;
    for (std::size_t y = 0; y < n; ++y) {
        // Rows are stored bottom row first.
        const std::uint8_t* row = image + colourOffset + (n - 1 - y) * colourRow;
        std::uint32_t* out = colour + y * n;
        for (std::size_t x = 0; x < n; ++x) {
            std::uint32_t pixel = 0;
            if (bits == 32) {
                pixel = Read32(row + x * 4);
            } else if (bits == 24) {
                const std::uint8_t* p = row + x * 3;
                pixel = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                        static_cast<std::uint32_t>(p[2]) << 16;
            } else {
                const std::size_t bit = x * bits;
                const unsigned shift = static_cast<unsigned>(8 - bits - bit % 8);
                const std::size_t index = (row[bit / 8] >> shift) & ((1u << bits) - 1);
                if (index >= tableEntries) return false;
                const std::uint8_t* entry = table + index * 4;  // blue, green, red, reserved
                pixel = static_cast<std::uint32_t>(entry[0]) | static_cast<std::uint32_t>(entry[1]) << 8 |
                        static_cast<std::uint32_t>(entry[2]) << 16;
            }
            out[x] = pixel;
        }
        std::memcpy(mask + y * (n / 8), image + maskOffset + (n - 1 - y) * maskRow, n / 8);
    }
    return true;
}

}  // namespace orbelune
