#include "ui/linkbrowser/internet_shortcut.h"

namespace orbelune {

namespace {

std::wstring_view Trim(std::wstring_view s) {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

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

}  // namespace

std::wstring InternetShortcutUrl(std::wstring_view text) {
    bool inSection = false;
    while (!text.empty()) {
        const auto end = text.find_first_of(L"\r\n");
        const std::wstring_view line = Trim(text.substr(0, end));
        text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);

        if (line.empty() || line.front() == L';') continue;
        if (line.front() == L'[') {
            const auto close = line.find(L']');
            const std::wstring_view name = Trim(line.substr(1, close == std::wstring_view::npos ? line.npos : close - 1));
            inSection = SameIgnoringCase(name, L"InternetShortcut");
            continue;
        }
        if (!inSection) continue;
        const auto equals = line.find(L'=');
        if (equals == std::wstring_view::npos || !SameIgnoringCase(Trim(line.substr(0, equals)), L"URL")) continue;
        std::wstring_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::wstring(value);
    }
    return {};
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
