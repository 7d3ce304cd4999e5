// The direct decoding of plain images and the check of what may reach the
// platform: each bound with a case just inside and just outside it. That the
// decoded pixels are the platform's own is shown by the picker's listing
// tests, which compare them with ExtractIconW's.
#include "platform/icon_pixels.h"

#include "support/icon_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <tuple>
#include <vector>

namespace orbelune {
namespace {

using test::Bytes;

constexpr int kSide = 8;

// Table entry i: blue i, green 255 - i, red i ^ 0x5A.
std::uint32_t TableColour(std::size_t i) {
    return static_cast<std::uint32_t>(i | (255 - i) << 8 | ((i ^ 0x5A) & 0xFF) << 16);
}
// Pixel (x, y), top row first: its colour index below 24 bits, else its
// colour (with an alpha byte at 32 bits); and the mask byte of row y.
std::uint32_t PixelAt(unsigned bits, std::size_t x, std::size_t y) {
    if (bits <= 8) return static_cast<std::uint32_t>((x + 3 * y + 1) % (1u << bits));
    return static_cast<std::uint32_t>((x * 7 + 1) | (y * 11 + 2) << 8 | (x + y + 3) << 16 | (bits == 32 ? (x ^ y) << 24 : 0));
}
std::uint8_t MaskAt(std::size_t x8, std::size_t y) { return static_cast<std::uint8_t>(y * 0x11 + x8 * 0x40 + 3); }

// A side x side image with a 40-byte header: `entries` colour-table entries,
// then the pixels and mask rows above, bottom row first.
Bytes Image(unsigned bits, unsigned coloursUsed, std::size_t entries, int side = kSide) {
    Bytes b(40, 0);
    test::PutDword(b, 0, 40);
    test::PutDword(b, 4, static_cast<std::uint32_t>(side));
    test::PutDword(b, 8, static_cast<std::uint32_t>(2 * side));
    test::PutWord(b, 12, 1);
    test::PutWord(b, 14, static_cast<std::uint16_t>(bits));
    test::PutDword(b, 32, coloursUsed);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint32_t c = TableColour(i);
        b.insert(b.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16), 0});
    }
    const auto n = static_cast<std::size_t>(side);
    const std::size_t row = (n * bits + 31) / 32 * 4, maskRow = (n + 31) / 32 * 4;
    for (std::size_t y = n; y-- > 0;) {
        Bytes r(row, 0);
        for (std::size_t x = 0; x < n; ++x) {
            const std::uint32_t p = PixelAt(bits, x, y);
            if (bits > 8) {
                for (unsigned k = 0; k < bits / 8; ++k) r[x * (bits / 8) + k] = static_cast<std::uint8_t>(p >> (8 * k));
            } else {
                r[x * bits / 8] |= static_cast<std::uint8_t>(p << (8 - bits - x * bits % 8));
            }
        }
        b.insert(b.end(), r.begin(), r.end());
    }
    for (std::size_t y = n; y-- > 0;) {
        Bytes r(maskRow, 0xEE);
        for (std::size_t x8 = 0; x8 < n / 8; ++x8) r[x8] = MaskAt(x8, y);
        b.insert(b.end(), r.begin(), r.end());
    }
    return b;
}

// Whether the image decodes; when it does, every pixel and mask byte must
// be the one Image wrote.
bool Decode(const Bytes& b, int side = kSide) {
    const auto n = static_cast<std::size_t>(side);
    std::vector<std::uint32_t> colour(n * n);
    std::vector<std::uint8_t> mask(n * n / 8);
    if (!DecodeIconPixels(b.data(), b.size(), side, colour.data(), mask.data())) return false;
    const unsigned bits = b[14];
    std::vector<std::uint32_t> wantColour;
    std::vector<std::uint8_t> wantMask;
    for (std::size_t y = 0; y < n; ++y) {
        for (std::size_t x = 0; x < n; ++x)
            wantColour.push_back(bits <= 8 ? TableColour(PixelAt(bits, x, y)) : PixelAt(bits, x, y));
        for (std::size_t x8 = 0; x8 < n / 8; ++x8) wantMask.push_back(MaskAt(x8, y));
    }
    EXPECT_EQ(colour, wantColour) << bits << " bits, " << side;
    EXPECT_EQ(mask, wantMask) << bits << " bits, " << side;
    return true;
}

// Every depth at two sides, and colour tables of every length about the
// bounds: a table shorter than 2^bits leaves colours unknown; the pixels
// follow all of a longer one, at most 256 entries counted, also at 24 and 32
// bits, which use none.
TEST(IconPixels, EveryDepthAndTableLengthAsThePlatformReadsThem) {
    const struct {
        unsigned bits, coloursUsed;
        std::size_t entries;
        bool decodes;
    } rows[] = {
        {1, 0, 2, true},     {1, 1, 1, false},    {1, 3, 3, true},     {4, 15, 15, false}, {4, 16, 16, true},
        {4, 0, 16, true},    {4, 17, 17, true},   {8, 255, 255, false}, {8, 0, 256, true}, {8, 1000, 256, true},
        {24, 0, 0, true},    {24, 3, 3, true},    {32, 0, 0, true},    {32, 3, 3, true},   {16, 0, 0, false},
    };
    for (const int side : {kSide, 4 * kSide}) {
        for (const auto& r : rows) {
            SCOPED_TRACE(testing::Message() << r.bits << " bits, " << r.entries << " entries, side " << side);
            const Bytes b = Image(r.bits, r.coloursUsed, r.entries, side);
            EXPECT_EQ(Decode(b, side), r.decodes);
            EXPECT_FALSE(Decode(Bytes(b.begin(), b.end() - 1), side));  // the mask rows must fit
        }
    }
    EXPECT_FALSE(Decode(Image(8, 0, 256, 0), 0));
    EXPECT_FALSE(Decode(Image(8, 0, 256, 12), 12));
    for (const auto& [at, value] : {std::pair{8u, 2 * kSide + 2}, {12u, 0x80002}, {16u, 1}}) {  // height, planes, compression
        Bytes b = Image(8, 0, 256);
        test::PutDword(b, at, static_cast<std::uint32_t>(value));
        EXPECT_FALSE(Decode(b)) << at;
    }
    EXPECT_FALSE(Decode(Image(8, 0, 256), 2 * kSide));
    // Black then white: the platform makes a monochrome icon of it.
    Bytes blackWhite = Image(1, 0, 2);
    const std::uint8_t table[] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    std::copy(std::begin(table), std::end(table), blackWhite.begin() + 40);
    EXPECT_FALSE(Decode(blackWhite));
    blackWhite[40 + 7] = 1;  // white's reserved byte is compared too
    std::vector<std::uint32_t> colour(kSide * kSide);
    std::vector<std::uint8_t> mask(kSide);
    EXPECT_TRUE(DecodeIconPixels(blackWhite.data(), blackWhite.size(), kSide, colour.data(), mask.data()));
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
    const Bytes riff = {'R', 'I', 'F', 'F', 8, 0, 0, 0, 'A', 'C', 'O', 'N', 0, 0, 0, 0};
    EXPECT_EQ(JudgeIconImage(riff.data(), riff.size()), PlatformImage::Unsafe);

    // The sizes, at their offsets in a 40-byte header (or a 12-byte one).
    struct Row {
        const char* what;
        std::int32_t width, height;
        unsigned bits;
        bool fits;
        std::uint32_t header = 40;
        std::size_t judged = 0;  // bytes judged; 0: all
    };
    const Row rows[] = {
        {"row bits just inside, the rows in the size", 67108863, 2, 32, true, 40, 268435492},
        {"row bits just outside, wrapped past the size", 67108864, 2, 32, true},
        {"rows just inside", 32, 2 * 16777215, 32, true},
        {"rows just outside, wrapped past the size", 32, 2 * 16777216, 32, true},
        {"top-down rows just outside, wrapped past the size", 32, -2 * 16777216, 32, true},
        {"32-bit row bits wrapped to one row of 4 bytes, just in the size", 0x40000001, 2, 32, false, 40, 44},
        {"32-bit row bits wrapped to one row of 4 bytes, past the size", 0x40000001, 2, 32, true, 40, 43},
        {"32-bit row bits wrapped past 2^32 to one row of 4 bytes", 134217729, 2, 32, false},
        {"4-bit row bits wrapped to one row of 4 bytes, read by drawing only", 0x40000001, 2, 4, true},
        {"row bits wrapped to rows of 0 bytes, drawn from nothing", 0x7FFFFFFF, 2, 8, true},
        {"rows wrapped to one row", 8, 2 * 134217729, 32, false},
        {"top-down rows wrapped to one row", 8, -2 * 134217729, 32, false},
        {"1 bit, mask alike", 32, 64, 1, true},
        {"leftward row bits just inside, the rows in the size", -67108864, 2, 32, true, 40, 4026531884u},
        {"leftward row bits just outside, failing the size check", -67108865, 2, 32, true},
        {"leftward rows just inside", -8388639, 2 * 2048, 1, true},
        {"leftward rows just outside, failing the size check", -8388639, 2 * 2049, 1, true},
        {"no colour, mask rows just inside", 32, 2 * 536870911, 0, true},
        {"no colour, mask rows just outside, failing the size check", 32, 2 * 536870912, 0, true},
        {"a header of another size", 67108864, 2, 32, true, 41},
        {"a 40-byte header cut short", 67108864, 2, 32, true, 40, 39},
        {"a 40-byte header alone, its rows failing the size check", 67108864, 2, 32, true, 40, 40},
        {"12-byte header, rows just inside", 65535, 2 * 8192, 32, true, 12},
        {"12-byte header, rows just outside, failing the size check", 65535, 2 * 8193, 32, true, 12},
        {"rows padded to 8 bytes, their sum just inside", 2, 2 * 268435455, 32, true, 40, 2147483680u},
        {"rows padded to 8 bytes, their sum just outside, in the size", 2, 2 * 268435456, 32, false, 40, 2147483688u},
        {"rows just outside, in the size", 32, 2 * 16777216, 32, false, 40, 2147483688u},
        {"leftward rows of 4 bytes, their sum just inside", -2, 2 * 536870912, 32, true, 40, 2147483688u},
        {"leftward rows of 4 bytes, their sum just outside", -2, 2 * 536870913, 32, false, 40, 2147483688u},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Bytes b = Image(8, 0, 256);
        test::PutDword(b, 0, r.header);
        if (r.header == 12) {
            test::PutWord(b, 4, static_cast<std::uint16_t>(r.width));
            test::PutWord(b, 6, static_cast<std::uint16_t>(r.height));
            test::PutWord(b, 10, static_cast<std::uint16_t>(r.bits));
        } else {
            test::PutDword(b, 4, static_cast<std::uint32_t>(r.width));
            test::PutDword(b, 8, static_cast<std::uint32_t>(r.height));
            test::PutWord(b, 14, static_cast<std::uint16_t>(r.bits));
        }
        EXPECT_EQ(IconImageFitsPlatform(b.data(), r.judged ? r.judged : b.size()), r.fits);
    }
    // A 1-bit image's first two colours are read to tell a monochrome one
    // only once its size holds them.
    test::PutWord(core, 10, 1);
    for (const Bytes& mono : {Image(1, 0, 2), core})
        for (std::size_t size : {std::size_t{11}, std::size_t{12}, std::size_t{40}, mono.size()})
            EXPECT_EQ(IconImageReach(mono.data(), size), 4u);

    // How far it reads an image of so many bytes: a refused header its size
    // (a 40-byte one's compression too), colour rows past the size the
    // header, a mask past it left out.
    const auto coreImage = [](std::uint16_t width, std::uint16_t height, std::uint16_t bits) {
        Bytes c(64, 0);
        test::PutDword(c, 0, 12);
        test::PutWord(c, 4, width);
        test::PutWord(c, 6, height);
        test::PutWord(c, 10, bits);
        return c;
    };
    const auto changed = [](Bytes b, std::size_t at, std::uint8_t value) {
        b[at] = value;
        return b;
    };
    const Bytes i8 = Image(8, 0, 256), i8Short = Image(8, 2, 2), i32 = Image(32, 0, 0);  // 1160, 144, 328 bytes
    Bytes png8(48, 0);
    std::copy_n("\x89PNG\r\n\x1A\n", 8, png8.begin());  // the signature
    const std::tuple<Bytes, std::uint64_t, std::uint64_t> extents[] = {
        {changed(i8, 0, 41), 1160, 4}, {i8, 12, 4}, {i32, 40, 40}, {i32, 327, 296}, {i8, 1128, 1128}, {i8Short, 144, 144},
        {coreImage(1, 2, 9), 64, 20}, {coreImage(2, 2, 32), 64, 24}, {coreImage(2, 2, 32), 12, 12},
        {coreImage(1, 2, 1), 64, 26}, {coreImage(1, 2, 8), 64, 12}, {Image(32, 0, 0, 32), 4264, 4264},
        {changed(i32, 16, 3), 328, 308},  // 12 bytes of bit-field masks after the header
        {changed(i32, 16, 1), 40, 20},    // compressed: refused
        {changed(i8, 14, 9), 1160, 168},  // no colour table above 8 bits
        {changed(i8, 4, 0), 1064, 1064},  // no colour rows, the table to the last byte
        {png8, 100, 100},
    };
    for (const auto& [image, size, extent] : extents) EXPECT_EQ(IconImageExtent(image.data(), size), extent) << size;

    // PNG: its pixels and mask, counted in 32 bits.
    // Rows of 37 bytes at 8 pixels wide, of 825,000 at 200,000, of 2,178 at
    // 528; 1,000,000 the widest and highest taken.
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 0};
    const std::tuple<std::uint32_t, std::uint32_t, bool> sizes[] = {
        {8, 1000000, true},    {200000, 2603, true},   {200000, 2604, false},   {200000, 1000001, true},
        {1000000, 520, true},  {1000000, 521, false},  {600, 1000000, false},   {528, 985988, true},
        {528, 985989, false},  {0x80000210, 985989, true},  // 2^31 + 528 wide: refused by the PNG library
    };
    for (const auto& [width, height, fits] : sizes) {
        for (int i = 0; i < 4; ++i) {
            png[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
            png[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
        }
        EXPECT_EQ(IconImageFitsPlatform(png.data(), png.size()), fits) << width << " x " << height;
        EXPECT_TRUE(IconImageFitsPlatform(png.data(), 23)) << "no header chunk";
    }

    // Handed over as the view reads it: an image below 32 bits needs its
    // colour rows inside the view, a 32-bit one its mask too; a PNG image is
    // walked chunk by chunk to IEND, or to its stated size.
    png.resize(33);
    png.insert(png.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    Bytes otherIhdr = png;
    otherIhdr[15] = 'r';
    // A chunk of this type and length (its data left out) before IEND.
    const auto chunk = [&](const char (&type)[5], std::uint32_t length) {
        Bytes b(png.begin(), png.begin() + 33);
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(length >> (24 - 8 * i)));
        b.insert(b.end(), type, type + 4);
        b.resize(b.size() + 4);  // its checksum
        b.insert(b.end(), png.begin() + 33, png.end());
        return b;
    };
    const struct {
        Bytes image;
        std::uint64_t offset;
        std::uint32_t size;
        std::optional<std::uint64_t> length, needed;
    } views[] = {
        {i8, 4096 - 1130, 1160, 1130, 1130}, {i8, 4096 - 1127, 1160, std::nullopt, 0},
        {i32, 4096 - 328, 328, 328, 328},    {i32, 4096 - 300, 328, std::nullopt, 0},
        {png, 0, 100, 100, 45},              {png, 4096 - 44, 44, 44, 44}, {png, 4096 - 43, 44, std::nullopt, 0},
        {png, 0, 32, 32, 4},                 {png, 0, 33, 33, 33},         {otherIhdr, 0, 100, 100, 16},
        {png, 4096 - 36, 36, 36, 36},        {png, 4096 - 33, 44, std::nullopt, 0},  // read past the file: zeros
        // Chunk types of four letters, each at a bound (a byte just outside
        // one, at each place, ends the walk), and the largest length read.
        {chunk("AZaz", 0), 0, 100, 100, 57},  {chunk("@Zaz", 0), 0, 100, 100, 41}, {chunk("A[az", 0), 0, 100, 100, 41},
        {chunk("AZ`z", 0), 0, 100, 100, 41},  {chunk("AZa{", 0), 0, 100, 100, 41},
        {chunk("AZaz", 0x7FFFFFFF), 0, 100, 100, 100}, {chunk("AZaz", 0x80000000), 0, 100, 100, 41},
    };
    for (const auto& v : views) {
        Bytes file(4096, 0);
        const auto n = static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(v.image.size(), 4096 - v.offset));
        std::copy(v.image.begin(), v.image.begin() + n, file.begin() + static_cast<std::ptrdiff_t>(v.offset));
        std::uint64_t needed = 0;
        EXPECT_EQ(MappedImageLength(file.data(), file.size(), v.offset, v.size, &needed), v.length) << v.offset;
        if (v.length) {
            EXPECT_EQ(needed, v.needed) << v.offset;
        }
    }

    // A 12-byte header's alpha test (its bit count 32 from the colour table,
    // or unknown above 8 bits) reads to the first alpha byte that is not
    // zero, past the image too, and with no mask makes one over 32-bit
    // pixels; sure to read past the view, the image is refused.
    const auto coreOf = [](int bits, bool mask, std::uint8_t bitCount) {
        Bytes b = test::ImageBytes({.width = 8, .height = 8, .bits = bits, .format = test::ImageFormat::Core, .mask = mask});
        std::fill(b.begin() + 12 + (bits <= 8 ? 3 << bits : 0), b.end(), std::uint8_t{0});
        if (bits <= 8) b[14] = bitCount, b[15] = 0;
        return b;
    };
    const Bytes c4 = coreOf(4, true, 32), c4NoMask = coreOf(4, false, 32), c24 = coreOf(24, false, 0);  // 124, 92, 204 bytes
    Bytes noBits = coreImage(8, 16, 0);  // one colour: its table ends before the bit count's second byte
    noBits.resize(47);                      // the header, that colour and the mask
    noBits[8] = 1, noBits[14] = 32, noBits[15] = 1;  // one plane
    const std::optional<std::uint64_t> none;
    const struct {
        Bytes image;
        std::uint64_t offset, alphaAt;  // where a byte 1 lies, from the image's start; 0: none
        std::optional<std::uint64_t> length, reads;
    } cores[] = {
        {c4, 0, 63 + 4 * 10, 124, 124},       {c4, 0, 63 + 4 * 30, 124, 184},          {c4, 0, 63 + 4 * 30 + 1, none, none},
        {c4, 0, 4095, 124, 4096},
        {c4, 4096 - 124, 0, none, none},      {coreOf(4, true, 33), 4096 - 124, 0, 124, 124},
        {coreOf(1, true, 32), 0, 0, none, none}, {c4NoMask, 0, 63, 92, 316},             {c4NoMask, 4096 - 92, 63, none, none},
        {c24, 0, 12 + 3, 204, 268},           {c24, 4096 - 204, 12 + 3, 204, 268},     {c24, 4096 - 204, 0, 204, 268},
        {c24, 0, 12 + 4, 204, 4100},          {coreOf(24, true, 0), 0, 12 + 3, 236, 236}, {noBits, 0, 0, 47, 4099},
    };
    for (const auto& c : cores) {
        Bytes file(4096, 0);
        std::copy(c.image.begin(), c.image.end(), file.begin() + static_cast<std::ptrdiff_t>(c.offset));
        if (c.alphaAt) file[c.offset + c.alphaAt] = 1;
        std::uint64_t reads = 0;
        EXPECT_EQ(MappedImageLength(file.data(), file.size(), c.offset, static_cast<std::uint32_t>(c.image.size()), nullptr, &reads),
                  c.length) << c.offset << " " << c.alphaAt;
        if (c.length) {
            EXPECT_EQ(reads, c.reads) << c.offset << " " << c.alphaAt;
        }
    }
}

}  // namespace
}  // namespace orbelune
