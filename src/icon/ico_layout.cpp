#include "icon/ico_layout.h"

namespace orbelune {

namespace {

void PutWord(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFFu);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFFu);
}

void PutDword(std::uint8_t* p, std::uint32_t v) {
    PutWord(p, v & 0xFFFFu);
    PutWord(p + 2, v >> 16);
}

}  // namespace

int BitCountOfDepth(int depthCode) {
    switch (depthCode) {
    case kDepthMask:
        return 1;
    case kDepth16:
        return 4;
    case kDepth256:
        return 8;
    case kDepthHigh:
        return 16;
    default:
        return 0;
    }
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
    PutWord(out + 2, 1);
    PutWord(out + 4, 1);
}

void FillIcoDirectoryEntry(std::uint8_t* out, std::int32_t width, std::int32_t height, unsigned planes,
                           unsigned bitCount, std::uint32_t imageSize) {
    out[0] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(width) & 0xFFu);
    out[1] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) & 0xFFu);
    PutWord(out + 2, (planes * bitCount) & 0xFFFFu);
    PutDword(out + 4, 0);
    PutDword(out + 8, imageSize);
    PutDword(out + 12, kIcoImageOffset);
}

}  // namespace orbelune
