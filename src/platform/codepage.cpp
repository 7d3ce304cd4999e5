#include "platform/codepage.h"

#include <windows.h>

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

}  // namespace orbelune
