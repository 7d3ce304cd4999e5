#include "store/catalogue_scan.h"

#include <algorithm>

namespace orbelune {

namespace {

constexpr std::wstring_view kPrefix = L"buttonnum";

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

std::optional<std::int32_t> ButtonNumberOfValueName(std::wstring_view name) {
    // No character outside ASCII folds onto a letter of "buttonnum" in the
    // registry's case-insensitive name comparison, so ASCII folding is exact.
    if (name.size() <= kPrefix.size()) return std::nullopt;
    for (std::size_t i = 0; i < kPrefix.size(); ++i)
        if (AsciiLower(name[i]) != kPrefix[i]) return std::nullopt;

    const std::wstring_view digits = name.substr(kPrefix.size());
    if (digits.size() > 1 && digits.front() == L'0') return std::nullopt;  // not how a number is written
    std::int64_t value = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > INT32_MAX) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::vector<PresentButton> PresentButtons(const std::vector<std::wstring_view>& valueNames, std::int32_t top) {
    std::vector<PresentButton> buttons;
    if (top < 0) return buttons;
    for (std::size_t i = 0; i < valueNames.size(); ++i) {
        const auto n = ButtonNumberOfValueName(valueNames[i]);
        if (n && *n <= top) buttons.push_back({*n, i});
    }
    // Registry names are unique regardless of case, so no number repeats.
    std::sort(buttons.begin(), buttons.end(),
              [](const PresentButton& a, const PresentButton& b) { return a.number < b.number; });
    return buttons;
}

std::optional<std::int32_t> HighestButtonNumber(const std::vector<std::wstring_view>& valueNames) {
    std::optional<std::int32_t> highest;
    for (const auto& name : valueNames) {
        const auto n = ButtonNumberOfValueName(name);
        if (n && (!highest || *n > *highest)) highest = n;
    }
    return highest;
}

}  // namespace orbelune
