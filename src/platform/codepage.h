// Conversions to and from code page 932 (Shift-JIS), the code page of
// Orbelune's 8-bit texts, whatever the system's ANSI code page is.
#pragma once

#include "platform/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orbelune {

inline constexpr unsigned kJapaneseCodePage = 932;

std::string ToCp932(std::wstring_view text);
std::wstring FromCp932(std::string_view bytes);

// Bytes of a text file, whole characters in its encoding, as text.
std::wstring DecodeText(const std::uint8_t* bytes, std::size_t size, TextEncoding encoding);

}  // namespace orbelune
