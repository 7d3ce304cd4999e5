// The layout of an .ico file's header and directory, checked before any
// image is read. Free of windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orbelune {

// The header: reserved (0), type (1 for icons), image count; the bytes of
// the header and of one directory entry.
inline constexpr std::size_t kIcoHeaderType = 2;
inline constexpr std::size_t kIcoHeaderCount = 4;
inline constexpr unsigned kIcoTypeIcon = 1;
inline constexpr std::size_t kIcoHeaderSize = 6;
inline constexpr std::size_t kIcoEntrySize = 16;
// Fields of a directory entry: width and height bytes at 0 and 1, the bit
// count at 6, the image's size at 8 and its offset in the file at 12.
inline constexpr std::size_t kIcoEntryBitCount = 6;
inline constexpr std::size_t kIcoEntryImageSize = 8;
inline constexpr std::size_t kIcoEntryImageOffset = 12;
// Where the image of a single-image file starts: after the header and its
// one entry.
inline constexpr std::uint8_t kIcoSingleImageOffset = 22;

struct IcoEntry {
    unsigned width;     // 256 where the file says 0
    unsigned height;
    unsigned bitCount;  // as the directory gives it
    std::uint32_t size;
    std::uint32_t offset;
};

enum class IcoHeaderCheck { Ok, TooShort, WrongType };

// The 6-byte header: reserved, resource type (0 or 1), image count.
IcoHeaderCheck CheckIcoHeader(const std::uint8_t* data, std::size_t size);

// The image count of a header that passed CheckIcoHeader.
unsigned IcoImageCount(const std::uint8_t* header);

// The bytes of the header and the directory that a header names.
std::uint64_t IcoDirectoryEnd(const std::uint8_t* header);

// The directory of a file of fileSize bytes whose header passed, read from
// its first headSize bytes (the header and the directory, or more):
// nothing when the file holds no image, the directory runs past the bytes
// given or the file, or an image is empty or starts outside the file or
// over the directory. An image's stated size may run past the file's end:
// how much of it is read is the image's own affair (IconImageExtent).
std::optional<std::vector<IcoEntry>> ReadIcoDirectory(const std::uint8_t* head, std::size_t headSize,
                                                      std::uint64_t fileSize);

// The same for a whole file held in memory.
std::optional<std::vector<IcoEntry>> ReadIcoDirectory(const std::uint8_t* data, std::size_t size);

// The directory the platform's extraction makes of an icon file's header
// and directory (at least IcoDirectoryEnd bytes) to choose an image from
// with its resource calls: the header, then each entry's first 12 bytes and
// the entry's index as the image's ID.
std::vector<std::uint8_t> IcoResourceDirectory(const std::uint8_t* head);

// The image to show: the one nearest to 32 x 32, deepest colour among equals.
std::size_t ChooseIcoImage(const std::vector<IcoEntry>& entries);

// The image to make a `width`-wide icon from: the smallest at least that
// wide (scaled down), else the widest; the deepest colour among equals.
std::size_t ChooseIcoImageForWidth(const std::vector<IcoEntry>& entries, unsigned width);

}  // namespace orbelune
