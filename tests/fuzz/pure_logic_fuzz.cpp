// libFuzzer target for the logic that is free of windows.h, built natively
// by scripts/fuzz.sh: integer text, button-number names, .ico directories
// and layout arithmetic, and Internet shortcut text.
#include "icon/ico_layout.h"
#include "platform/ico_file.h"
#include "store/catalogue_scan.h"
#include "store/int_text.h"
#include "ui/linkbrowser/internet_shortcut.h"

#include <cstdint>
#include <cstdlib>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t kind = data[0];
    ++data;
    --size;
    switch (kind % 4) {
    case 0: {
        const std::wstring text = WideText(data, size);
        if (const auto value = TryTextToInt(text)) Check(TryTextToInt(IntToText(*value)) == value);
        if (const auto n = ButtonNumberOfValueName(text)) Check(*n >= 0 && IntToText(*n) == text.substr(9));
        break;
    }
    case 1: {
        if (const auto entries = ReadIcoDirectory(data, size)) {
            Check(!entries->empty());
            for (const auto& e : *entries) Check(std::uint64_t{e.offset} + e.size <= size);
            Check(ChooseIcoImage(*entries) < entries->size());
        }
        break;
    }
    case 2: {
        const std::wstring text = WideText(data, size);
        const std::wstring url = InternetShortcutUrl(text);
        Check(url.size() <= text.size());
        Check(NameWithoutExtension(text).size() <= text.size());
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
