#include "icon/ico_layout.h"

#include "platform/little_endian.h"

namespace orbelune {

int BitCountOfDepth(IconDepth depth) {
    switch (depth) {
    case IconDepth::Mask:
        return 1;
    case IconDepth::Colors16:
        return 4;
    case IconDepth::Colors256:
        return 8;
    case IconDepth::High:
        return 16;
    case IconDepth::Own:
        break;
    }
    return 0;
}

std::int32_t RowSize(std::int32_t width, int bitsPerPixel) {
    // Unsigned arithmetic wraps as 32-bit integers do; the division is on
    // the signed result, truncating toward zero.
    const std::uint32_t bits = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel) + 31u;
    return static_cast<std::int32_t>(bits & ~31u) / 8;
}

std::uint32_t DibHeaderSize(unsigned bitCount, std::uint32_t compression) {
    if (bitCount <= 8) return kDibHeaderSize + 4u * (1u << bitCount);
    return (compression & 3u) != 0 ? kDibHeaderSize + 12u : kDibHeaderSize;
}

void FillIcoFileHeader(std::uint8_t* out) {
    PutWord(out, 0);
    PutWord(out + kIcoHeaderType, kIcoTypeIcon);
    PutWord(out + kIcoHeaderCount, 1);
}

void FillIcoDirectoryEntry(std::uint8_t* out, std::int32_t width, std::int32_t height, unsigned planes,
                           unsigned bitCount, std::uint32_t imageSize) {
    out[0] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(width) & 0xFFu);
    out[1] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) & 0xFFu);
    PutWord(out + 2, (planes * bitCount) & 0xFFFFu);
    PutDword(out + 4, 0);
    PutDword(out + kIcoEntryImageSize, imageSize);
    PutDword(out + kIcoEntryImageOffset, kIcoSingleImageOffset);
}

namespace {

std::uint64_t Rows(std::int32_t height) {
    const std::int64_t rows = height;
    return static_cast<std::uint64_t>(rows < 0 ? -rows : rows);
}

// The stored row that holds the row `fromTop` of an image `rows` high.
std::uint64_t StoredRow(std::uint64_t fromTop, std::uint64_t rows, std::int32_t height) {
    return height < 0 ? fromTop : rows - 1 - fromTop;
}

}  // namespace

bool FillAlphaFromMask(std::uint8_t* colour, std::size_t colourSize, std::int32_t width, std::int32_t height,
                       const std::uint8_t* mask, std::size_t maskSize, std::int32_t maskWidth, std::int32_t maskHeight) {
    if (width <= 0 || width > (1 << 24)) return false;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width);
    const std::uint64_t colourRow = pixels * 4;  // 32 bits: always a multiple of 4 bytes
    const std::uint64_t rows = Rows(height);
    if (rows == 0 || rows > colourSize / colourRow) return false;
    for (std::uint64_t at = 3; at < colourRow * rows; at += 4)
        if (colour[at] != 0) return false;

    const std::uint64_t maskRows = Rows(maskHeight);
    const std::uint64_t maskPixels = maskWidth > 0 ? static_cast<std::uint64_t>(maskWidth) : 0;
    const std::uint64_t maskRow = (maskPixels + 31) / 32 * 4;
    for (std::uint64_t y = 0; y < rows; ++y) {
        std::uint8_t* row = colour + StoredRow(y, rows, height) * colourRow;
        const std::uint8_t* bits = nullptr;
        if (y < maskRows) {
            const std::uint64_t start = StoredRow(y, maskRows, maskHeight) * maskRow;
            if (start + maskRow <= maskSize) bits = mask + start;
        }
        for (std::uint64_t x = 0; x < pixels; ++x) {
            const bool transparent = bits && x < maskPixels && ((bits[x / 8] >> (7 - x % 8)) & 1u);
            row[x * 4 + 3] = transparent ? 0 : 255;
        }
    }
    return true;
}

}  // namespace orbelune
