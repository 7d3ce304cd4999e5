// Numbers as every file format Orbelune reads or writes stores them: little
// endian, unaligned, in bytes (icon files, programs and their resources,
// bitmaps). The one reading and writing of them for every reader and the
// icon writer. Free of windows.h.
#pragma once

#include <cstdint>

namespace orbelune {

constexpr std::uint16_t Word(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr std::uint32_t Dword(const std::uint8_t* p) noexcept {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Three bytes: a 24-bit pixel, a colour table's blue, green and red.
constexpr std::uint32_t Word24(const std::uint8_t* p) noexcept {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}

// The low 16 bits of v.
constexpr void PutWord(std::uint8_t* p, std::uint32_t v) noexcept {
    p[0] = static_cast<std::uint8_t>(v & 0xFFu);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFFu);
}

constexpr void PutDword(std::uint8_t* p, std::uint32_t v) noexcept {
    PutWord(p, v & 0xFFFFu);
    PutWord(p + 2, v >> 16);
}

}  // namespace orbelune
