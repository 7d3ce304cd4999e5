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
    TextEncoding encoding = TextEncoding::Cp932;
    while (!scanner.Settled()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer.data() + held, static_cast<DWORD>(kShortcutPiece), &read, nullptr))
            return {};
        held += read;
        std::size_t start = 0;
        if (first) {
            encoding = TextEncodingOf(buffer.data(), held, start);
            first = false;
        }
        const bool end = read == 0;
        const std::size_t whole =
            end ? held : start + WholeCharacterBytes(buffer.data() + start, held - start, encoding);
        scanner.Feed(DecodeText(buffer.data() + start, whole - start, encoding));
        std::memmove(buffer.data(), buffer.data() + whole, held - whole);
        held -= whole;
        if (end) break;
    }
    scanner.Finish();
    return LimitBytes(scanner.Url(), kLongestUrlBytes);
}

}  // namespace orbelune
