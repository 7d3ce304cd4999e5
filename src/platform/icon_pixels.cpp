#include "platform/icon_pixels.h"

#include "platform/little_endian.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace orbelune {

namespace {

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// Bytes of one row of `width` pixels at `bits`, padded to four bytes.
std::size_t RowBytes(std::size_t width, std::size_t bits) { return (width * bits + 31) / 32 * 4; }

constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();

// The colour table entries the platform sets aside for an image with a
// 40-byte header: the stated count, at most 256, else 2^bits up to 8 bits.
std::size_t TableEntries(std::uint32_t coloursUsed, unsigned bits) {
    if (coloursUsed != 0) return std::min<std::uint32_t>(coloursUsed, 256);
    return bits <= 8 ? std::size_t{1} << bits : 0;
}

// Whether the platform's sum of bytes for rows of this width and count at
// this depth, in signed 32-bit arithmetic, is the true one.
bool RowsFitInt(std::int64_t width, std::int64_t rows, std::int64_t bits) {
    const std::int64_t widthBits = width * bits + 31;  // both at most 32 bits: no 64-bit overflow
    if (width * bits < kIntMin || widthBits > kIntMax) return false;
    const std::int64_t rowBytes = (widthBits / 8) & ~std::int64_t{3};
    const std::int64_t total = rowBytes * std::abs(rows);
    return total <= kIntMax && total >= kIntMin;
}

// The platform's bytes for rows of this width and count at this depth, in
// its 32-bit signed arithmetic (wrapping), as the unsigned size it compares
// with the image's size.
std::uint32_t RowsBytes(std::int64_t width, std::int64_t rows, std::int64_t bits) {
    const auto wrap = [](std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); };
    const std::int32_t padded = wrap(std::int64_t{wrap(width * bits)} + 31);
    const std::int32_t row = (padded / 8) & ~std::int32_t{3};
    const std::int32_t count = wrap(std::abs(rows));
    return static_cast<std::uint32_t>(wrap(std::int64_t{row} * count));
}

// A plain image's header as the platform takes it: the bytes of its
// header, bit-field masks and colour table, and its colour and mask rows'
// sizes. Nothing for a header it refuses (or a PNG image), having read its
// size, or with a 40-byte header its compression too.
struct PlainImage {
    std::uint32_t headerSize = 0;
    std::uint64_t info = 0;
    std::uint32_t colour = 0, mask = 0;
    bool wraps = false;  // the colour rows' size wraps 32 bits
    unsigned bits = 0;
};

std::optional<PlainImage> ReadPlainImage(const std::uint8_t* image, std::uint64_t size) {
    PlainImage p;
    p.headerSize = Dword(image);
    if (size < kCoreHeaderSize || size < p.headerSize) return std::nullopt;
    std::int64_t width, height;
    unsigned bits;
    if (p.headerSize == kCoreHeaderSize) {
        width = Word(image + 4);
        height = Word(image + 6);
        bits = Word(image + 10);
        p.info = kCoreHeaderSize + (bits <= 8 ? std::uint64_t{1} << bits : 0) * 3;
    } else if (p.headerSize == kInfoHeaderSize) {
        const std::uint32_t compression = Dword(image + 16);
        if (compression != 0 && compression != 3) return std::nullopt;
        width = static_cast<std::int32_t>(Dword(image + 4));
        height = static_cast<std::int32_t>(Dword(image + 8));
        bits = Word(image + 14);
        p.info = kInfoHeaderSize + (compression == 3 ? 12 : 0) + TableEntries(Dword(image + 32), bits) * 4;
    } else {
        return std::nullopt;
    }
    p.bits = bits;
    p.colour = RowsBytes(width, height / 2, bits);
    p.mask = RowsBytes(width, height / 2, 1);
    p.wraps = !RowsFitInt(width, height / 2, bits);
    return p;
}

}  // namespace

bool DecodeIconPixels(const std::uint8_t* image, std::size_t size, int side, std::uint32_t* colour,
                      std::uint8_t* mask) {
    if (side <= 0 || side % 8 != 0 || size < kInfoHeaderSize || Dword(image) != kInfoHeaderSize) return false;
    const auto width = static_cast<std::int32_t>(Dword(image + 4));
    const auto height = static_cast<std::int32_t>(Dword(image + 8));  // colour and mask rows
    const std::uint16_t planes = Word(image + 12);
    const std::uint16_t bits = Word(image + 14);
    const std::uint32_t compression = Dword(image + 16);
    const std::uint32_t coloursUsed = Dword(image + 32);
    if (width != side || height != 2 * side || planes != 1 || compression != 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;

    const std::size_t n = static_cast<std::size_t>(side);
    // The pixels follow the whole table, also one that a 24- or 32-bit image
    // carries; only a table of at least 2^bits entries gives every pixel a
    // colour.
    const std::size_t tableEntries = TableEntries(coloursUsed, bits);
    if (bits <= 8 && tableEntries < (std::size_t{1} << bits)) return false;
    const std::size_t tableOffset = kInfoHeaderSize;
    const std::size_t colourOffset = tableOffset + tableEntries * 4;
    const std::size_t colourRow = RowBytes(n, bits);
    const std::size_t maskOffset = colourOffset + colourRow * n;
    const std::size_t maskRow = RowBytes(n, 1);
    if (maskOffset + maskRow * n > size) return false;

    const std::uint8_t* table = image + tableOffset;
    // Black then white: the platform makes a monochrome icon of it.
    static constexpr std::uint8_t kBlackWhite[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    if (bits == 1 && std::memcmp(table, kBlackWhite, sizeof kBlackWhite) == 0) return false;
    for (std::size_t y = 0; y < n; ++y) {
        // Rows are stored bottom row first.
        const std::uint8_t* row = image + colourOffset + (n - 1 - y) * colourRow;
        std::uint32_t* out = colour + y * n;
        for (std::size_t x = 0; x < n; ++x) {
            std::uint32_t pixel = 0;
            if (bits == 32) {
                pixel = Dword(row + x * 4);
            } else if (bits == 24) {
                pixel = Word24(row + x * 3);
            } else {
                const std::size_t bit = x * bits;
                const unsigned shift = static_cast<unsigned>(8 - bits - bit % 8);
                const std::size_t index = (row[bit / 8] >> shift) & ((1u << bits) - 1);
                const std::uint8_t* entry = table + index * 4;  // blue, green, red, reserved
                pixel = Word24(entry);
            }
            out[x] = pixel;
        }
        std::memcpy(mask + y * (n / 8), image + maskOffset + (n - 1 - y) * maskRow, n / 8);
    }
    return true;
}

PlatformImage JudgeIconImage(const std::uint8_t* image, std::size_t size) {
    // Below a 12-byte header the platform makes nothing of any image, but
    // reads four bytes first.
    if (size < kCoreHeaderSize) return PlatformImage::NoIcon;
    if (std::memcmp(image, "RIFF", 4) == 0) return PlatformImage::Unsafe;
    static constexpr std::uint8_t kPng[4] = {0x89, 'P', 'N', 'G'};
    if (std::memcmp(image, kPng, sizeof kPng) == 0) {
        if (size < 24) return PlatformImage::Fits;  // no header chunk: refused
        // Its pixels, four bytes each, and a mask, counted in 32 bits, unless
        // the PNG library refuses the sizes first (above a million; its table
        // of rows, 8 bytes a row, never comes near 32 bits then).
        const std::uint64_t width = ReadBigEndian32(image + 16), height = ReadBigEndian32(image + 20);
        constexpr std::uint64_t kPngLargest = 1000000;
        const bool fits = width > kPngLargest || height > kPngLargest ||
                          width * 4 * height + (width + 7) / 8 * height <= static_cast<std::uint64_t>(kIntMax);
        return fits ? PlatformImage::Fits : PlatformImage::Unsafe;
    }
    // The platform checks the sizes of the colour rows and the mask against
    // the image's size, in 32 bits. Sizes that wrapped and passed make it
    // read beyond them: its drawing calls, which read the rows of an image
    // below 32 bits and every mask, fail quietly there; but it reads a
    // 32-bit image's colour rows itself, for their alpha (rows wrapped to
    // 0 bytes it reads nothing of).
    const auto plain = ReadPlainImage(image, size);
    if (!plain || plain->info > size || plain->colour > size - plain->info) return PlatformImage::Fits;
    return plain->bits == 32 && plain->wraps && plain->colour != 0 ? PlatformImage::Unsafe : PlatformImage::Fits;
}

std::size_t IconImageReach(const std::uint8_t*, std::size_t) {
    // Its header's size or signature; everything else only once the size
    // it is handed holds the header and its colours (a 1-bit image's first
    // two are read to tell a monochrome one).
    return 4;
}

}  // namespace orbelune

namespace orbelune {

namespace {

// What of an image the platform must find inside its view: all it reads,
// but the mask rows of an image below 32 bits, which only its drawing of
// the mask reads; that drawing fails quietly past the view and leaves the
// mask empty, as when the image's length stops before its mask (which
// MappedImageLength's length then does).
std::uint64_t ViewExtent(const std::uint8_t* image, std::uint64_t size) {
    const std::uint64_t extent = IconImageExtent(image, size);
    const auto plain = ReadPlainImage(image, size);
    if (!plain || plain->bits == 32) return extent;
    // Colour rows past the size leave the extent at the header's, below this.
    return std::min(extent, std::max<std::uint64_t>(IconImageReach(image, static_cast<std::size_t>(std::min<std::uint64_t>(size, kInfoHeaderSize))),
                                                    plain->info + plain->colour));
}

}  // namespace

std::uint64_t IconImageExtent(const std::uint8_t* image, std::uint64_t size) {
    const std::uint64_t reach = IconImageReach(image, static_cast<std::size_t>(std::min<std::uint64_t>(size, kInfoHeaderSize)));
    static constexpr std::uint8_t kPng[4] = {0x89, 'P', 'N', 'G'};
    if (std::memcmp(image, kPng, sizeof kPng) == 0) return std::max(size, reach);  // at most all of it
    const auto plain = ReadPlainImage(image, size);
    if (!plain) {
        // Refused once its header size (and a 40-byte header's compression)
        // is read.
        return std::max<std::uint64_t>(reach, size >= kInfoHeaderSize && Dword(image) == kInfoHeaderSize ? 20 : 4);
    }
    // Checked in this order: the colour rows must fit, the mask is left out
    // when it does not.
    if (plain->info > size || plain->colour > size - plain->info) return std::max<std::uint64_t>(reach, plain->headerSize);
    const std::uint64_t rest = size - plain->info - plain->colour;
    return std::max(reach, plain->info + plain->colour + (plain->mask > rest ? 0 : plain->mask));
}

ImageHead HeadOfImage(const std::uint8_t* file, std::uint64_t fileSize, std::uint64_t offset) {
    ImageHead head;
    if (offset < fileSize) {
        const std::uint64_t n = std::min<std::uint64_t>(fileSize - offset, sizeof head.bytes);
        std::memcpy(head.bytes, file + offset, static_cast<std::size_t>(n));
    }
    return head;
}

namespace {

bool IsLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// How far the platform's PNG reader reads a PNG image of `size` bytes at
// most: chunk after chunk up to IEND, a chunk the reader refuses (a length
// above 2^31 - 1, a type not of four letters) ending it, and never past
// the size. `read` gives 8 bytes at an offset from the image's start.
std::uint64_t PngExtent(const ImageHead& head, const ReadEight& read, std::uint64_t size, std::uint64_t limit) {
    constexpr std::uint64_t kHeaderChunks = 33;  // signature and IHDR, checked before anything else
    static constexpr std::uint8_t kIhdr[8] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (size < kHeaderChunks) return 4;
    if (std::memcmp(head.bytes + 8, kIhdr, sizeof kIhdr) != 0) return 16;
    std::uint64_t at = 8;
    // Up to `limit` (past it the caller refuses whatever follows).
    while (at + 8 <= size && at <= limit) {
        std::uint8_t chunk[8];
        read(at, chunk);
        const std::uint32_t length = ReadBigEndian32(chunk);
        if (length > 0x7FFFFFFFu || !IsLetter(chunk[4]) || !IsLetter(chunk[5]) || !IsLetter(chunk[6]) ||
            !IsLetter(chunk[7]))
            return at + 8;
        const std::uint64_t end = at + 12 + length;
        if (end > size) return size;
        if (std::memcmp(chunk + 4, "IEND", 4) == 0) return end;
        at = end;
    }
    return std::min(size, at + 8);
}

// The most bytes a copy of an image holds past the view for the alpha
// test below: far more than any real image's test reads.
constexpr std::uint64_t kLargestAlphaTestRead = std::uint64_t{64} * 1024 * 1024;

// The alpha test of a 12-byte header's copy (see kAlphaTestEnd) for an image
// handed `length` bytes: where it starts, how many pixels it looks at at
// most, whether the bit count it goes by is the image's own, and how far
// the mask it makes reads (0 with a mask). Nothing where it never runs.
struct CoreAlphaTest {
    std::uint64_t colour = 0, pixels = 0, maskEnd = 0;
    bool certain = false;
};

std::optional<CoreAlphaTest> CoreAlphaTestOf(const std::uint8_t* image, std::uint64_t length) {
    if (length < kCoreHeaderSize || Dword(image) != kCoreHeaderSize) return std::nullopt;
    const auto plain = ReadPlainImage(image, length);
    if (!plain || plain->info > length || plain->colour > length - plain->info) return std::nullopt;  // no icon
    // The bit count at 14 and 15: the image's bytes where the copy holds
    // them, else any. (A black-and-white image, made without the test, has
    // a black first colour there.)
    constexpr std::uint64_t kBitCountAt = 14;
    const bool low = plain->info > kBitCountAt, high = plain->info > kBitCountAt + 1;
    if ((low && image[kBitCountAt] != 32) || (high && image[kBitCountAt + 1] != 0)) return std::nullopt;
    // Its width is the core width with half the height above it, its height
    // the planes with the bit count above: their product in 32 bits.
    const std::uint32_t width = Word(image + 4), rows = Word(image + 6) / 2u;
    const auto height = static_cast<std::int32_t>(Dword(image + 8));
    const std::uint32_t magnitude = height < 0 ? 0u - static_cast<std::uint32_t>(height) : static_cast<std::uint32_t>(height);
    const auto pixels = static_cast<std::int32_t>((width | rows << 16) * magnitude);
    if (pixels <= 0) return std::nullopt;
    const bool masked = plain->mask <= length - plain->info - plain->colour;
    const std::uint64_t maskEnd = masked ? 0 : plain->info + static_cast<std::uint64_t>(width) * rows * 4;
    return CoreAlphaTest{plain->info, static_cast<std::uint64_t>(pixels), maskEnd, low && high};
}

// How far the platform may read an image handed `length` bytes when its
// alpha test runs, at least `reads`; nothing when it reads past the view
// (`room` bytes from the image's start) for certain. `at` gives the byte
// at an offset from the image's start inside the view.
template <typename ByteAt>
std::optional<std::uint64_t> AlphaTestReads(const ImageHead& head, const ByteAt& at, std::uint64_t length,
                                            std::uint64_t room, std::uint64_t reads) {
    const auto test = CoreAlphaTestOf(head.bytes, length);
    if (!test) return reads;
    const std::uint64_t end = test->colour + test->pixels * 4;
    std::uint64_t last = test->colour + 3;
    while (last < end && last < room && at(last) == 0) last += 4;
    // No alpha byte; or one found, or the view's end reached on memory the
    // platform never wrote, where a copy's bytes end the test.
    const std::uint64_t tested = last >= end ? end : std::max(last + 1, test->maskEnd);
    if (test->certain && tested > room) return std::nullopt;
    // A copy past the view holds no more than any image needs.
    if (tested > room && tested > kLargestAlphaTestRead) return std::nullopt;
    return std::max(reads, tested);
}

}  // namespace

std::optional<std::uint64_t> MappedImageLength(const ImageHead& head, const ReadEight& read, std::uint64_t offset,
                                               std::uint32_t size, std::uint64_t fileSize, std::uint64_t* needed,
                                               std::uint64_t* reads) {
    const std::uint64_t reach = MappedReach(fileSize);
    if (offset > reach) return std::nullopt;
    const std::uint64_t room = reach - offset;
    const std::uint64_t length = std::min<std::uint64_t>(size, room);
    static constexpr std::uint8_t kPng[4] = {0x89, 'P', 'N', 'G'};
    std::uint64_t extent = ViewExtent(head.bytes, size), full = IconImageExtent(head.bytes, size);
    if (std::memcmp(head.bytes, kPng, sizeof kPng) == 0)
        extent = full = std::max<std::uint64_t>(
            IconImageReach(head.bytes, 0),
            PngExtent(head, [&](std::uint64_t at, std::uint8_t(&out)[8]) { read(offset + at, out); }, size, room));
    if (extent > room || JudgeIconImage(head.bytes, static_cast<std::size_t>(length)) == PlatformImage::Unsafe)
        return std::nullopt;
    const auto byteAt = [&](std::uint64_t at) {
        std::uint8_t eight[8];
        read(offset + at, eight);
        return eight[0];
    };
    const std::uint64_t used = std::min(full, length);
    const auto all = AlphaTestReads(head, byteAt, length, room,
                                    std::max<std::uint64_t>(used, IconImageReach(head.bytes, sizeof head.bytes)));
    if (!all) return std::nullopt;
    if (needed) *needed = used;
    if (reads) *reads = *all;
    return length;
}

std::optional<std::uint64_t> MappedImageLength(const std::uint8_t* file, std::uint64_t fileSize, std::uint64_t offset,
                                               std::uint32_t size, std::uint64_t* needed, std::uint64_t* reads) {
    const auto read = [&](std::uint64_t at, std::uint8_t (&out)[8]) {
        for (int i = 0; i < 8; ++i) out[i] = at + static_cast<std::uint64_t>(i) < fileSize ? file[at + static_cast<std::uint64_t>(i)] : 0;
    };
    return MappedImageLength(HeadOfImage(file, fileSize, offset), read, offset, size, fileSize, needed, reads);
}

}  // namespace orbelune
