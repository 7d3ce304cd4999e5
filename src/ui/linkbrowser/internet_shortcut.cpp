#include "ui/linkbrowser/internet_shortcut.h"

namespace orbelune {

namespace {

bool Blank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring_view TrimRight(std::wstring_view s) {
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

std::wstring_view TrimLeft(std::wstring_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    return s;
}

std::wstring_view Trim(std::wstring_view s) { return TrimRight(TrimLeft(s)); }

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y) return false;
    }
    return true;
}

bool Cp932Lead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

void InternetShortcutScanner::Feed(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (found_) return;
        if (c == L'\r' || c == L'\n') {
            EndLine();
            continue;
        }
        if (line_.empty() && !cut_ && Blank(c)) continue;  // blanks before the line's text
        if (line_.size() < kKeptPerLine)
            line_ += c;
        else
            cut_ = true;
        if (!Blank(c)) lastNonBlank_ = c;
    }
}

void InternetShortcutScanner::Finish() { EndLine(); }

void InternetShortcutScanner::EndLine() {
    if (found_) return;
    // Blanks at the end of a cut line lie in the part not kept.
    const std::wstring_view line = cut_ ? std::wstring_view(line_) : TrimRight(line_);
    const bool cut = cut_;
    const wchar_t last = lastNonBlank_;
    struct Reset {
        InternetShortcutScanner& s;
        ~Reset() {
            s.line_.clear();
            s.cut_ = false;
            s.lastNonBlank_ = 0;
        }
    } reset{*this};

    if (line.empty() || line.front() == L';') return;
    if (line.front() == L'[') {
        const auto close = line.find(L']');
        const std::wstring_view name = Trim(line.substr(1, close == std::wstring_view::npos ? line.npos : close - 1));
        inSection_ = SameIgnoringCase(name, L"InternetShortcut");
        return;
    }
    if (!inSection_) return;
    const auto equals = line.find(L'=');
    if (equals == std::wstring_view::npos || !SameIgnoringCase(Trim(line.substr(0, equals)), L"URL")) return;
    std::wstring_view value = TrimLeft(line.substr(equals + 1));
    const bool quoted = !value.empty() && (value.front() == L'"' || value.front() == L'\'');
    if (cut) {
        // The closing quote, if any, is the line's last character, not kept.
        if (quoted && last == value.front()) value.remove_prefix(1);
    } else if (quoted && value.size() >= 2 && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    url_ = value;
    found_ = true;
}

std::wstring InternetShortcutUrl(std::wstring_view text) {
    InternetShortcutScanner scanner;
    scanner.Feed(text);
    scanner.Finish();
    return scanner.Url();
}

ShortcutEncoding ShortcutEncodingOf(const std::uint8_t* bytes, std::size_t size, std::size_t& markSize) {
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        markSize = 2;
        return ShortcutEncoding::Utf16;
    }
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        markSize = 3;
        return ShortcutEncoding::Utf8;
    }
    markSize = 0;
    return ShortcutEncoding::Cp932;
}

std::size_t WholeCharacterBytes(const std::uint8_t* bytes, std::size_t size, ShortcutEncoding encoding) {
    switch (encoding) {
    case ShortcutEncoding::Utf16:
        return size & ~std::size_t{1};
    case ShortcutEncoding::Utf8: {
        // Back over the continuation bytes at the end to the character's lead.
        std::size_t lead = size;
        while (lead > 0 && size - lead < 4 && (bytes[lead - 1] & 0xC0u) == 0x80u) --lead;
        if (lead == 0) return size;
        const std::uint8_t b = bytes[lead - 1];
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return size - (lead - 1) < length ? lead - 1 : size;
    }
    case ShortcutEncoding::Cp932:
    default: {
        // From the start, where a character begins: a lead byte takes the
        // next byte with it unless that byte can be no second byte.
        std::size_t at = 0;
        while (at < size) {
            if (!Cp932Lead(bytes[at])) {
                ++at;
            } else if (at + 1 == size) {
                return at;
            } else {
                at += bytes[at + 1] >= 0x40 ? 2 : 1;
            }
        }
        return size;
    }
    }
}

std::wstring NameWithoutExtension(std::wstring_view path) {
    const auto slash = path.rfind(L'\\');
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos) name = name.substr(0, dot);
    return std::wstring(name);
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    path += name;
    return path;
}

}  // namespace orbelune
