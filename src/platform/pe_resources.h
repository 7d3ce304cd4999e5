// The icon resources of a Windows program or library (a PE file, 32- or
// 64-bit), read from the file's bytes with every offset and size checked
// against them. Free of windows.h: only data that passed these checks reaches
// the platform's icon calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orbelune {

// Larger files are not listed: a library this size holds some 60,000 icons
// of 32 x 32 in 32 bits, and its whole view still fits a 32-bit process's
// address space beside everything else.
inline constexpr std::uint64_t kLargestListedExecutable = std::uint64_t{256} * 1024 * 1024;

enum class ExecutableKind {
    NotExecutable,    // no "MZ": an icon file or anything else
    Pe,               // "PE\0\0" behind the DOS header
    OtherExecutable,  // a 16-bit program or library, or another new header
    Damaged,          // "MZ" whose header or new-header offset lies outside the file
};

ExecutableKind ClassifyExecutable(const std::uint8_t* data, std::size_t size);

// Bytes inside the file.
struct FileSpan {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct IconResource {
    std::uint16_t id = 0;
    FileSpan bytes;
};

// Everything the picker needs to make the icons of a PE file.
struct PeIcons {
    // The icon groups (RT_GROUP_ICON) in the order the platform's icon
    // extraction numbers them: the directory's order, named groups first,
    // then the numeric ones. Each holds at least one entry, and every entry
    // names an icon below.
    std::vector<FileSpan> groups;
    // The icon images (RT_ICON), in the directory's order, first language
    // of each; each begins with a bitmap header or a PNG signature and
    // holds the pixels the header promises.
    std::vector<IconResource> icons;

    // The image with this ID, or nullptr.
    const IconResource* Icon(std::uint16_t id) const;
};

// The icon resources of a PE file, or nothing when the file is damaged:
// headers, section table, resource directories, group directories and icon
// images outside the file or their section, wrapping 32 bits, directory
// entries that point back at a directory above them or have the wrong kind,
// more than 65,535 groups, numeric IDs out of ascending order, empty groups,
// and groups that name a missing icon; also a file larger than
// kLargestListedExecutable. A PE file without resources or without icon
// groups gives an empty list. `size` is the whole file.
std::optional<PeIcons> ReadPeIcons(const std::uint8_t* data, std::size_t size);

}  // namespace orbelune
