// The direct decoding of plain images and the check of what may reach the
// platform: each bound with a case just inside and just outside it. That the
// decoded pixels are the platform's own is shown by the picker's listing
// tests, which compare them with ExtractIconW's.
#include "platform/icon_pixels.h"

#include "support/icon_library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orbelune {
namespace {

using test::Bytes;

constexpr int kSide = 8;

// An 8 x 8 image with a 40-byte header: `entries` colour-table entries
// (entry i is 0x00i0i0i0 + 1), pixel rows whose first pixel is index 1 (or
// colour 0x112233 at 24 and 32 bits), the others 0, and mask rows of 0x0F.
Bytes Image(unsigned bits, unsigned coloursUsed, std::size_t entries) {
    Bytes b(40, 0);
    test::PutDword(b, 0, 40);
    test::PutDword(b, 4, kSide);
    test::PutDword(b, 8, 2 * kSide);
    test::PutWord(b, 12, 1);
    test::PutWord(b, 14, static_cast<std::uint16_t>(bits));
    test::PutDword(b, 32, coloursUsed);
    for (std::size_t i = 0; i < entries; ++i) {
        const auto c = static_cast<std::uint8_t>(0x10 * i + 1);
        b.insert(b.end(), {c, c, c, 0});
    }
    const std::size_t row = (kSide * bits + 31) / 32 * 4;
    for (int y = 0; y < kSide; ++y) {
        Bytes r(row, 0);
        if (bits >= 24) {
            r[0] = 0x33, r[1] = 0x22, r[2] = 0x11;
        } else {
            r[0] = static_cast<std::uint8_t>(1u << (8 - bits));  // index 1 in the first pixel
        }
        b.insert(b.end(), r.begin(), r.end());
    }
    for (int y = 0; y < kSide; ++y) b.insert(b.end(), {0x0F, 0, 0, 0});
    return b;
}

bool Decode(const Bytes& b, std::uint32_t* first = nullptr) {
    std::vector<std::uint32_t> colour(kSide * kSide);
    std::vector<std::uint8_t> mask(kSide * kSide / 8);
    const bool decoded = DecodeIconPixels(b.data(), b.size(), kSide, colour.data(), mask.data());
    if (decoded && first) *first = colour[0];
    if (decoded) {
        EXPECT_EQ(mask[0], 0x0F);
    }
    return decoded;
}

TEST(IconPixels, ColourTablesOfEveryLengthAsThePlatformReadsThem) {
    std::uint32_t first = 0;
    // At 4 bits: a table shorter than 16 entries leaves colours unknown.
    EXPECT_FALSE(Decode(Image(4, 15, 15)));
    EXPECT_TRUE(Decode(Image(4, 16, 16), &first));
    EXPECT_EQ(first, 0x111111u);
    // A longer one: the pixels follow all of it.
    EXPECT_TRUE(Decode(Image(4, 17, 17), &first));
    EXPECT_EQ(first, 0x111111u);
    // At 24 and 32 bits a table is skipped.
    for (unsigned bits : {24u, 32u}) {
        EXPECT_TRUE(Decode(Image(bits, 3, 3), &first));
        EXPECT_EQ(first & 0xFFFFFFu, 0x112233u);
    }
    // At most 256 entries are counted, whatever the header says.
    Bytes capped = Image(8, 256, 256);
    test::PutDword(capped, 32, 1000);
    EXPECT_TRUE(Decode(capped));
    // Black then white: the platform makes a monochrome icon of it.
    Bytes blackWhite = Image(1, 0, 2);
    const std::uint8_t table[] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    std::copy(std::begin(table), std::end(table), blackWhite.begin() + 40);
    EXPECT_FALSE(Decode(blackWhite));
    EXPECT_TRUE(Decode(Image(1, 0, 2)));
}

TEST(IconPixels, MaskRowsMustFit) {
    const Bytes whole = Image(8, 0, 256);
    EXPECT_TRUE(Decode(whole));
    EXPECT_FALSE(Decode(Bytes(whole.begin(), whole.end() - 1)));
}

// What the platform may be given: below 12 bytes nothing, no animated
// cursor, and no 32-bit image whose sizes its 32-bit arithmetic wraps into
// ones that pass its checks against the image's size (sizes that wrap past
// it only end its reading, other images' rows only its drawing, which fails
// quietly; PNG sizes the PNG library refuses first are no risk).
TEST(IconPixels, ImagesFitForThePlatform) {
    Bytes core(12, 0);
    test::PutDword(core, 0, 12);
    test::PutWord(core, 4, 32);
    test::PutWord(core, 6, 64);
    test::PutWord(core, 10, 8);
    EXPECT_TRUE(IconImageFitsPlatform(core.data(), core.size()));
    EXPECT_EQ(JudgeIconImage(core.data(), 11), PlatformImage::NoIcon);
    const Bytes riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'C', 'O', 'N', 0, 0, 0, 0};
    EXPECT_EQ(JudgeIconImage(riff.data(), riff.size()), PlatformImage::Unsafe);

    struct Row {
        const char* what;
        std::int32_t width, height;
        unsigned bits;
        bool fits;
    };
    const Row rows[] = {
        {"row bits just inside", 67108863, 2, 32, true},
        {"row bits just outside, wrapped past the size", 67108864, 2, 32, true},
        {"rows just inside", 32, 2 * 16777215, 32, true},
        {"rows just outside, wrapped past the size", 32, 2 * 16777216, 32, true},
        {"top-down rows just outside, wrapped past the size", 32, -2 * 16777216, 32, true},
        {"32-bit row bits wrapped to one row of 4 bytes", 0x40000001, 2, 32, false},
        {"4-bit row bits wrapped to one row of 4 bytes, read by drawing only", 0x40000001, 2, 4, true},
        {"row bits wrapped to rows of 0 bytes, drawn from nothing", 0x7FFFFFFF, 2, 8, true},
        {"rows wrapped to one row", 8, 2 * 134217729, 32, false},
        {"top-down rows wrapped to one row", 8, -2 * 134217729, 32, false},
        {"1 bit, mask alike", 32, 64, 1, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Bytes b = Image(8, 0, 256);
        test::PutDword(b, 4, static_cast<std::uint32_t>(r.width));
        test::PutDword(b, 8, static_cast<std::uint32_t>(r.height));
        test::PutWord(b, 14, static_cast<std::uint16_t>(r.bits));
        EXPECT_EQ(IconImageFitsPlatform(b.data(), b.size()), r.fits);
    }
    // A 1-bit image's first two colours are read to tell a monochrome one,
    // however short the image.
    const Bytes mono = Image(1, 0, 2);
    EXPECT_EQ(IconImageReach(mono.data(), 47), 48u);
    EXPECT_EQ(IconImageReach(Image(4, 0, 16).data(), 47), 4u);

    // PNG: its pixels and mask, and the row table, counted in 32 bits.
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 0};
    const auto height = [&](std::uint32_t h) {
        for (int i = 0; i < 4; ++i) png[20 + i] = static_cast<std::uint8_t>(h >> (24 - 8 * i));
        return IconImageFitsPlatform(png.data(), png.size());
    };
    png[19] = 8;  // 8 pixels wide: 37 bytes a row with the mask's
    EXPECT_TRUE(height(1000000));
    png[16] = 0, png[17] = 0x03, png[18] = 0x0D, png[19] = 0x40;  // 200,000 pixels wide: 825,000 bytes a row
    EXPECT_TRUE(height(2603));
    EXPECT_FALSE(height(2604));
    EXPECT_TRUE(height(1000001));  // refused by the PNG library
}

}  // namespace
}  // namespace orbelune
