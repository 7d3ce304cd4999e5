// Button number, padded number and button identifier. Free of windows.h.
//
// A button number n names the catalogue value "ButtonNum<n>" (plain decimal),
// the padded number is that text with "0" in front up to eight characters,
// and the identifier "{<padded>-0000-0000-0000-000000000000}" names the
// button's extension key and its command-mapping value.
#pragma once

#include <string>
#include <string_view>

namespace orbelune {

// "0" put in front while the text is shorter than eight characters.
std::wstring PaddedNumber(std::wstring_view plainNumber);

// "{" + padded number + "-0000-0000-0000-000000000000}".
std::wstring ButtonIdentifier(std::wstring_view paddedNumber);

// "ButtonNum" + plain number.
std::wstring ButtonNumValueName(std::wstring_view plainNumber);

// The plain number of a padded one, through the integer text conversion
// ("00000012" gives "12"); raises the conversion failure for other text.
std::wstring PlainNumber(std::wstring_view paddedNumber);

}  // namespace orbelune
