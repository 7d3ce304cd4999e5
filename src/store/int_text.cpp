#include "store/int_text.h"

#include "platform/failure.h"

namespace orbelune {

namespace {

int DigitValue(wchar_t c, bool hex) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (!hex) return -1;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::int32_t> TryTextToInt(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == L' ') ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }

    bool hex = false;
    if (i < text.size() && text[i] == L'$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        hex = true;
        i += 2;
    }

    if (i == text.size()) return std::nullopt;  // no digits at all

    // Accumulate the magnitude; the limit allows -2147483648.
    const std::int64_t limit = negative ? std::int64_t{2147483648} : std::int64_t{2147483647};
    const int base = hex ? 16 : 10;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i], hex);
        if (d < 0) return std::nullopt;
        magnitude = magnitude * base + d;
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::wstring NotAnIntegerMessage(std::wstring_view text) {
    return FormatMessageText(L"'%s' は整数ではありません", text);
}

std::int32_t TextToInt(std::wstring_view text) {
    if (const auto value = TryTextToInt(text)) return *value;
    throw Failure(NotAnIntegerMessage(text));
}

std::wstring IntToText(std::int32_t value) { return std::to_wstring(value); }

}  // namespace orbelune
