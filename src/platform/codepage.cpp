#include "platform/codepage.h"

#include <windows.h>

#include <cstring>

namespace orbelune {

std::string ToCp932(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(kJapaneseCodePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(kJapaneseCodePage, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring FromCp932(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    const int chars = ::MultiByteToWideChar(kJapaneseCodePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(chars), L'\0');
    ::MultiByteToWideChar(kJapaneseCodePage, 0, bytes.data(), length, out.data(), chars);
    return out;
}

std::wstring DecodeText(const std::uint8_t* bytes, std::size_t size, TextEncoding encoding) {
    if (size == 0) return {};
    if (encoding == TextEncoding::Utf16) {
        std::wstring text(size / 2, L'\0');
        std::memcpy(text.data(), bytes, text.size() * 2);
        return text;
    }
    if (encoding == TextEncoding::Cp932)
        return FromCp932(std::string_view(reinterpret_cast<const char*>(bytes), size));
    const auto* source = reinterpret_cast<const char*>(bytes);
    const int length = static_cast<int>(size);
    const int chars = ::MultiByteToWideChar(CP_UTF8, 0, source, length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(chars), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, source, length, text.data(), chars);
    return text;
}

}  // namespace orbelune
