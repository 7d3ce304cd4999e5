// Which catalogue numbers are present, worked out from the catalogue key's
// value names in one pass instead of one registry query per number.
// Free of windows.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbelune {

// The button number named by a catalogue value name: "ButtonNum" in any
// letter case (as the registry compares names) followed by a number in plain
// decimal ("0", "7", "12"; no sign, no leading zero) within the signed 32-bit
// range. Any other name gives no number.
std::optional<std::int32_t> ButtonNumberOfValueName(std::wstring_view name);

struct PresentButton {
    std::int32_t number;
    std::size_t index;  // of its name among the value names
};

// The numbers 0..top, ascending, for which a value "ButtonNum<n>" is among
// the names: exactly the numbers that testing each name "ButtonNum0" to
// "ButtonNum<top>" for existence would find.
std::vector<PresentButton> PresentButtons(const std::vector<std::wstring_view>& valueNames, std::int32_t top);

// The highest number named by a "ButtonNum<n>" value among the names; none
// when no name is one.
std::optional<std::int32_t> HighestButtonNumber(const std::vector<std::wstring_view>& valueNames);

}  // namespace orbelune
