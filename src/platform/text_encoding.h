// How the program's 8-bit and 16-bit text files are stored, told by their
// first bytes as the platform's profile reader tells them. Free of
// windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orbelune {

// How a text file is stored: UTF-16 (little-endian) or UTF-8
// after their byte-order marks, code page 932 otherwise.
enum class TextEncoding { Cp932, Utf8, Utf16 };

// The encoding the file's first bytes name; markSize gets the length of its
// byte-order mark.
TextEncoding TextEncodingOf(const std::uint8_t* bytes, std::size_t size, std::size_t& markSize);

// How many of the bytes, which begin at the start of a character, hold
// whole characters: a character cut at the end waits for the next piece.
std::size_t WholeCharacterBytes(const std::uint8_t* bytes, std::size_t size, TextEncoding encoding);

}  // namespace orbelune
