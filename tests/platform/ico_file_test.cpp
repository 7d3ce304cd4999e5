#include "platform/ico_file.h"

#include "support/icon_library.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

namespace orbelune {
namespace {

using test::Bytes;

// Two images, 16 x 16 at 4 bits and 32 x 32 at 32 bits; the entries at 6
// and 22, the images from 38 on.
Bytes TwoImages() { return test::IcoFile({{16, 4}, {32, 32}}, 1); }

// Each file a change of TwoImages and the directory read of it, or nothing:
// every bound with a file just inside and just outside it.
TEST(IcoFile, DirectoryReadOrRefused) {
    const Bytes two = TwoImages();
    const auto size = static_cast<std::uint32_t>(two.size());
    const std::uint32_t second = two[34] | two[35] << 8 | two[36] << 16 | static_cast<std::uint32_t>(two[37]) << 24;
    struct Row {
        const char* what;
        std::function<void(Bytes&)> change;
        std::size_t headSize;   // 0: the whole file
        std::uint64_t fileSize; // 0: the file's size
        bool read;
    };
    const auto put = [](std::size_t at, std::uint32_t v, int width = 4) {
        return [=](Bytes& b) { width == 2 ? test::PutWord(b, at, static_cast<std::uint16_t>(v)) : test::PutDword(b, at, v); };
    };
    const auto none = [](Bytes&) {};
    const Row rows[] = {
        {"as made", none, 0, 0, true},
        {"type 0", put(2, 0, 2), 0, 0, true},
        {"a cursor", put(2, 2, 2), 0, 0, false},
        {"type 0x100", put(2, 0x100, 2), 0, 0, false},
        {"no images", put(4, 0, 2), 0, 0, false},
        {"a third entry over the first image", put(4, 3, 2), 0, 0, false},
        {"first image a byte into the directory", put(6 + 12, 37), 0, 0, false},
        {"empty first image", put(6 + 8, 0), 0, 0, false},
        {"second image to the file's last byte", put(22 + 8, size - second), 0, 0, true},
        {"second image a byte past it, read through the zeros after", put(22 + 8, size - second + 1), 0, 0, true},
        {"offset and size past 32 bits", put(22 + 8, 0xFFFFFFFF), 0, 0, true},
        {"second image starting at the last byte", put(22 + 12, size - 1), 0, 0, true},
        {"second image starting at the file's end", put(22 + 12, size), 0, 0, false},
        {"second image 64 KiB longer", put(22 + 8, size - second + 0x10000), 0, 0, true},
        {"header and directory only, of the whole file", none, 38, 0, true},
        {"a byte of the directory missing", none, 37, 0, false},
        {"more bytes than the file", put(22 + 8, size - second - 1), 0, size - 1u, false},
        {"five bytes", none, 5, 5, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Bytes b = two;
        r.change(b);
        const auto entries = ReadIcoDirectory(b.data(), r.headSize ? r.headSize : b.size(), r.fileSize ? r.fileSize : b.size());
        EXPECT_EQ(entries.has_value(), r.read);
    }
    EXPECT_EQ(CheckIcoHeader(two.data(), 5), IcoHeaderCheck::TooShort);
    EXPECT_EQ(CheckIcoHeader(two.data(), 6), IcoHeaderCheck::Ok);
    Bytes cursor = two;
    cursor[2] = 2;
    EXPECT_EQ(CheckIcoHeader(cursor.data(), 6), IcoHeaderCheck::WrongType);
}

// Every field at its own offset: each byte of an entry a value of its own.
TEST(IcoFile, EntryFieldsAtTheirOffsets) {
    Bytes b = TwoImages();
    test::PutDword(b, 22 + 4, 0x01200304);  // planes 0x0304, bits 0x0120
    b[22] = 0;                              // 256 wide
    b[22 + 1] = 48;
    b[6] = 17;
    b[6 + 1] = 0;                           // 256 high
    // The second image grown by 16 MiB + 64 KiB: every byte of its size counts.
    test::PutDword(b, 22 + 8, static_cast<std::uint32_t>(b.size() - 38 - (b[14] | b[15] << 8) + 0x1010000));
    b.resize(b.size() + 0x1010000);
    const auto entries = ReadIcoDirectory(b.data(), b.size());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    const IcoEntry& e0 = (*entries)[0];
    const IcoEntry& e1 = (*entries)[1];
    EXPECT_EQ(std::make_tuple(e0.width, e0.height, e0.bitCount, e0.offset), std::make_tuple(17u, 256u, 4u, 38u));
    EXPECT_EQ(std::make_tuple(e1.width, e1.height, e1.bitCount), std::make_tuple(256u, 48u, 0x120u));
    EXPECT_EQ(e0.size, e1.offset - 38);
    EXPECT_EQ(std::uint64_t{e1.offset} + e1.size, b.size());

    // The platform's resource directory: the header, then each entry's first
    // 12 bytes and its index.
    Bytes expected(b.begin(), b.begin() + 6);
    for (std::uint8_t i = 0; i < 2; ++i) {
        expected.insert(expected.end(), b.begin() + 6 + 16 * i, b.begin() + 18 + 16 * i);
        expected.insert(expected.end(), {i, 0});
    }
    EXPECT_EQ(IcoResourceDirectory(b.data()), expected);
    Bytes many(6 + 257 * 16, 0);  // the 257th entry's index: 256
    many[4] = 1, many[5] = 1;
    EXPECT_EQ(IcoResourceDirectory(many.data()).at(6 + 256 * 14 + 13), 1);
}

// The image shown (nearest to 32 x 32, then deepest, then first) and the
// image a given width is made from (the narrowest at least that wide, else
// the widest; then deepest, then first).
TEST(IcoFile, ImageChoices) {
    struct Row {
        std::vector<std::array<unsigned, 3>> images;  // width, height, bits
        std::size_t shown;
        unsigned width;
        std::size_t forWidth;
    };
    const Row rows[] = {
        {{{16, 16, 32}, {48, 48, 32}, {32, 32, 4}, {24, 24, 32}}, 2, 24, 3},
        {{{30, 30, 32}, {33, 33, 4}}, 1, 31, 1},                // 1 + 1 off beats 2 + 2
        {{{31, 31, 8}, {33, 33, 4}}, 0, 32, 1},                 // as near: the deeper
        {{{32, 32, 4}, {32, 32, 8}, {32, 32, 8}}, 1, 32, 1},  // deepest, the first of them
        {{{32, 32, 8}, {32, 32, 4}}, 0, 33, 0},                 // none wide enough: the widest
        {{{64, 64, 8}, {256, 256, 32}, {48, 48, 32}}, 2, 48, 2},
        {{{64, 64, 8}, {256, 256, 32}, {48, 48, 32}}, 2, 49, 0},
        {{{16, 16, 8}, {48, 48, 4}, {48, 48, 8}}, 0, 48, 2},
        {{{48, 48, 8}, {16, 16, 8}}, 0, 16, 1},
        {{{16, 16, 8}, {24, 24, 8}}, 1, 256, 1},
    };
    for (const Row& r : rows) {
        std::vector<IcoEntry> entries;
        for (const auto& i : r.images) entries.push_back({i[0], i[1], i[2], 100, 6});
        SCOPED_TRACE(testing::PrintToString(r.images));
        EXPECT_EQ(ChooseIcoImage(entries), r.shown);
        EXPECT_EQ(ChooseIcoImageForWidth(entries, r.width), r.forWidth);
    }
}

}  // namespace
}  // namespace orbelune
