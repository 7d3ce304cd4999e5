#include "links/shortcut_file.h"

#include "platform/codepage.h"
#include "platform/handle.h"
#include "links/internet_shortcut.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace orbelune {

namespace {

constexpr std::size_t kLongestUrlBytes = 2047;
constexpr std::size_t kShortcutPiece = 64 * 1024;

// Bytes of a shortcut file, whole characters in its encoding, as text.
std::wstring Decode(const std::uint8_t* bytes, std::size_t size, ShortcutEncoding encoding) {
    if (size == 0) return {};
    if (encoding == ShortcutEncoding::Utf16) {
        std::wstring text(size / 2, L'\0');
        std::memcpy(text.data(), bytes, text.size() * 2);
        return text;
    }
    if (encoding == ShortcutEncoding::Cp932)
        return FromCp932(std::string_view(reinterpret_cast<const char*>(bytes), size));
    const auto* source = reinterpret_cast<const char*>(bytes);
    const int length = static_cast<int>(size);
    const int chars = ::MultiByteToWideChar(CP_UTF8, 0, source, length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(chars), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, source, length, text.data(), chars);
    return text;
}

// Whole characters while their code page 932 form stays within the limit.
std::wstring LimitBytes(const std::wstring& text, std::size_t limit) {
    if (ToCp932(text).size() <= limit) return text;
    std::wstring kept;
    std::size_t bytes = 0;
    for (wchar_t c : text) {
        const std::size_t size = ToCp932(std::wstring(1, c)).size();
        if (bytes + size > limit) break;
        kept += c;
        bytes += size;
    }
    return kept;
}

}  // namespace

bool EndsWithUrl(const std::wstring& name) {
    return name.size() >= 4 && ::CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".url", 4, TRUE) == CSTR_EQUAL;
}

std::wstring ReadInternetShortcut(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    // Read piece by piece until the entry is found: any size of file is
    // read in the same small memory.
    InternetShortcutScanner scanner;
    std::vector<std::uint8_t> buffer(kShortcutPiece + 4);
    std::size_t held = 0;  // bytes of a character cut at the end of the last piece
    bool first = true;
    ShortcutEncoding encoding = ShortcutEncoding::Cp932;
    while (!scanner.Settled()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer.data() + held, static_cast<DWORD>(kShortcutPiece), &read, nullptr))
            return {};
        held += read;
        std::size_t start = 0;
        if (first) {
            encoding = ShortcutEncodingOf(buffer.data(), held, start);
            first = false;
        }
        const bool end = read == 0;
        const std::size_t whole =
            end ? held : start + WholeCharacterBytes(buffer.data() + start, held - start, encoding);
        scanner.Feed(Decode(buffer.data() + start, whole - start, encoding));
        std::memmove(buffer.data(), buffer.data() + whole, held - whole);
        held -= whole;
        if (end) break;
    }
    scanner.Finish();
    return LimitBytes(scanner.Url(), kLongestUrlBytes);
}

}  // namespace orbelune
