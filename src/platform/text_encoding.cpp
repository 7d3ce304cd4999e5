#include "platform/text_encoding.h"

namespace orbelune {

namespace {

bool Cp932Lead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

TextEncoding TextEncodingOf(const std::uint8_t* bytes, std::size_t size, std::size_t& markSize) {
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        markSize = 2;
        return TextEncoding::Utf16;
    }
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        markSize = 3;
        return TextEncoding::Utf8;
    }
    markSize = 0;
    return TextEncoding::Cp932;
}

std::size_t WholeCharacterBytes(const std::uint8_t* bytes, std::size_t size, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf16:
        return size & ~std::size_t{1};
    case TextEncoding::Utf8: {
        // Back over the continuation bytes at the end to the character's lead.
        std::size_t lead = size;
        while (lead > 0 && size - lead < 4 && (bytes[lead - 1] & 0xC0u) == 0x80u) --lead;
        if (lead == 0) return size;
        const std::uint8_t b = bytes[lead - 1];
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return size - (lead - 1) < length ? lead - 1 : size;
    }
    case TextEncoding::Cp932:
    default: {
        // From the start, where a character begins: a lead byte takes the
        // next byte with it, or when that byte can be no second byte (below
        // 0x40, never a lead byte either) leaves it a character of its own;
        // the next character begins after both all the same.
        std::size_t at = 0;
        while (at < size) {
            if (!Cp932Lead(bytes[at])) {
                ++at;
            } else if (at + 1 == size) {
                return at;
            } else {
                at += 2;
            }
        }
        return size;
    }
    }
}

}  // namespace orbelune
