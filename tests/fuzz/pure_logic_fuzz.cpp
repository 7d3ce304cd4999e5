// libFuzzer target for the logic that is free of windows.h, built natively
// by scripts/fuzz.sh: integer text, button-number names, .ico directories
// and layout arithmetic, the alpha a mask gives, and Internet shortcut text,
// whole and in pieces, against the same rules written plainly.
#include "icon/ico_layout.h"
#include "platform/ico_file.h"
#include "store/button_set_file.h"
#include "store/catalogue_scan.h"
#include "store/int_text.h"
#include "links/internet_shortcut.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace orbelune;

namespace {

std::wstring WideText(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    return text;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

// The URL entry as the platform's profile reader gives it, from whole lines
// held in memory: the rules of InternetShortcutUrl written plainly.
std::wstring ProfileUrl(std::wstring_view text) {
    const auto blank = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A; };
    const auto trim = [&](std::wstring_view s) {
        while (!s.empty() && blank(s.front())) s.remove_prefix(1);
        while (!s.empty() && blank(s.back())) s.remove_suffix(1);
        return s;
    };
    const auto is = [](std::wstring_view name, std::wstring_view lower) {
        name = name.substr(0, name.find(L'\0'));
        if (name.size() != lower.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if ((name[i] >= L'A' && name[i] <= L'Z' ? name[i] + 32 : name[i]) != lower[i]) return false;
        return true;
    };
    bool inSection = false;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find_first_of(L"\r\n", start), text.size());
        const std::wstring_view line = trim(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line[0] == L'[' && line.find(L']') != line.npos) {
            if (inSection) return L"";
            inSection = is(trim(line.substr(1, line.rfind(L']') - 1)), L"internetshortcut");
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (!inSection || !is(trim(line.substr(0, equals)), L"url")) continue;
        if (equals == line.npos) return L"";
        std::wstring_view value = trim(line.substr(equals + 1));  // the line's end is trimmed already
        value = value.substr(0, value.find(L'\0'));
        if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return std::wstring(value);
    }
    return L"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t kind = data[0];
    ++data;
    --size;
    switch (kind % 8) {
    case 0: {
        const std::wstring text = WideText(data, size);
        if (const auto value = TryTextToInt(text)) Check(TryTextToInt(IntToText(*value)) == value);
        if (const auto n = ButtonNumberOfValueName(text)) Check(*n >= 0 && IntToText(*n) == text.substr(9));
        break;
    }
    case 1: {
        if (const auto entries = ReadIcoDirectory(data, size)) {
            Check(!entries->empty());
            for (const auto& e : *entries) Check(e.offset < size);
            Check(ChooseIcoImage(*entries) < entries->size());
        }
        break;
    }
    case 2:
    case 7: {
        // Wide text, or text made of the pieces shortcut lines are made of,
        // short enough for every value to be kept whole.
        static const std::wstring_view kPieces[] = {
            L"[InternetShortcut]", L"[internetshortcut", L"InternetShortcut", L"URL", L"url", L"[", L"]", L"=",
            L" ", L"\t", L"\r", L"\n", L"\r\n", std::wstring_view(L"\0", 1), L"\"", L"'", L"a", L"\x1A", L";",
            L"\v", L"\xA0", L"X", L"[BrowserToolbars]", L"Caption1", L"icon0", L"DeleteButtons"};
        std::wstring text;
        if (kind % 8 == 2)
            text = WideText(data, size);
        else
            for (std::size_t i = 0; i < size && text.size() < InternetShortcutScanner::kKeptOfValue / 2; ++i)
                text += kPieces[data[i] % std::size(kPieces)];
        const std::wstring url = InternetShortcutUrl(text);
        // The same text as a button set file: numbers ascending, and no
        // value a line could not hold.
        if (const auto set = ReadButtonSet(text)) {
            for (std::size_t i = 1; i < set->buttons.size(); ++i) Check(set->buttons[i - 1].number < set->buttons[i].number);
            for (const ButtonSetEntry& b : set->buttons)
                Check(ProfileCanHold(b.caption) && ProfileCanHold(b.action) && ProfileCanHold(b.icon) && ProfileCanHold(b.hotIcon));
        }
        Check(url == ProfileUrl(text));
        Check(NameWithoutExtension(text).size() <= text.size());
        // Fed in pieces of any length, the text reads as when fed whole.
        InternetShortcutScanner scanner;
        const std::size_t piece = size > 0 ? data[0] % 7 + 1 : 1;
        for (std::size_t at = 0; at < text.size(); at += piece) scanner.Feed(std::wstring_view(text).substr(at, piece));
        scanner.Finish();
        Check(scanner.Url() == url);
        break;
    }
    case 4: {
        // The directory of a file as long as the first four bytes say, read
        // from the bytes after them.
        if (size < 4) break;
        std::uint32_t extra;
        __builtin_memcpy(&extra, data, 4);
        const std::uint64_t fileSize = size - 4 + (extra & 0xFFFFFF);
        if (const auto entries = ReadIcoDirectory(data + 4, size - 4, fileSize)) {
            for (const auto& e : *entries) Check(e.offset < fileSize);
            Check(ChooseIcoImage(*entries) < entries->size());
        }
        break;
    }
    case 5: {
        // Where a piece of shortcut bytes may end: never past its end, and
        // never inside a character that began in it.
        for (const auto encoding : {TextEncoding::Cp932, TextEncoding::Utf8, TextEncoding::Utf16}) {
            const std::size_t whole = WholeCharacterBytes(data, size, encoding);
            Check(whole <= size && size - whole <= 3);
        }
        std::size_t mark = 9;
        TextEncodingOf(data, size, mark);
        Check(mark <= 3 && mark <= size);
        break;
    }
    case 6: {
        // A colour image and a mask of the sizes the first bytes give.
        if (size < 6) break;
        const std::int32_t width = static_cast<std::int8_t>(data[0]);
        const std::int32_t height = static_cast<std::int8_t>(data[1]);
        const std::int32_t maskWidth = static_cast<std::int8_t>(data[2]);
        const std::int32_t maskHeight = static_cast<std::int8_t>(data[3]);
        const std::size_t colourSize = std::min<std::size_t>(data[4] * 16u, size - 6);
        std::vector<std::uint8_t> colour(data + 6, data + 6 + colourSize);
        std::vector<std::uint8_t> mask(data + 6, data + size);
        mask.resize(std::min<std::size_t>(mask.size(), data[5]));
        if (FillAlphaFromMask(colour.data(), colour.size(), width, height, mask.data(), mask.size(), maskWidth,
                              maskHeight)) {
            const auto rows = static_cast<std::size_t>(height < 0 ? -height : height);
            for (std::size_t at = 3; at < static_cast<std::size_t>(width) * 4 * rows; at += 4)
                Check(colour[at] == 0 || colour[at] == 255);
        }
        break;
    }
    default: {
        if (size < 9) break;
        std::int32_t width;
        __builtin_memcpy(&width, data, 4);
        const int bits = data[4] % 33;
        const std::int32_t row = RowSize(width, bits);
        if (width > 0 && width < 65536) Check(row % 4 == 0 && std::int64_t{row} * 8 >= std::int64_t{width} * bits);
        std::uint32_t compression;
        __builtin_memcpy(&compression, data + 5, 4);
        const std::uint32_t header = DibHeaderSize(static_cast<unsigned>(bits), compression);
        Check(header >= 40 && header <= 40 + 4 * 256);
        break;
    }
    }
    return 0;
}
