// The integer text conversion used for ButtonDat and the padded button
// number: text to signed 32-bit integer and back. Free of windows.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orbelune {

// Leading blanks, one optional sign, then decimal digits, or hexadecimal
// digits after "$" or "0x". The value must fit the signed 32-bit range.
// Anything else (the empty text included) gives no value.
std::optional<std::int32_t> TryTextToInt(std::wstring_view text);

// As TryTextToInt, but a text that is no integer raises the failure
// "'<text>' は整数ではありません".
std::int32_t TextToInt(std::wstring_view text);

// Plain decimal, "-" in front of a negative number.
std::wstring IntToText(std::int32_t value);

// The message of the conversion failure for a text.
std::wstring NotAnIntegerMessage(std::wstring_view text);

}  // namespace orbelune
