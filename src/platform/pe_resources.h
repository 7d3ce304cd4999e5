// The icon resources of a Windows program or library, 32- or 64-bit (PE) or
// 16-bit (NE), read from the file's bytes exactly as the platform's icon
// extraction walks them, with every read it would make checked against the
// file first. Free of windows.h: only bytes that passed these checks reach
// the platform's icon calls.
//
// The platform's extraction checks almost nothing: it follows offsets
// wherever they point and reads a group's entries and an image's bytes by
// the counts and sizes the file states. A file that would make it read
// outside the file is refused whole; everything it reads without leaving the
// file is taken as it takes it, so the same icons come out, including the
// ones it finds nothing for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orbelune {

// Larger programs are not listed: a library this size holds some 60,000
// icons of 32 x 32 in 32 bits, and its whole view still fits a 32-bit
// process's address space beside everything else.
inline constexpr std::uint64_t kLargestListedExecutable = std::uint64_t{256} * 1024 * 1024;

enum class ExecutableKind {
    NotExecutable,    // no "MZ": an icon file or anything else
    Pe,               // "PE\0\0" behind the DOS header
    Ne,               // "NE" behind the DOS header: a 16-bit program or library
    OtherExecutable,  // another new header, which has no icons for the platform
    Damaged,          // "MZ" whose header or new-header offset lies outside the file
};

ExecutableKind ClassifyExecutable(const std::uint8_t* data, std::size_t size);

// Bytes inside the file.
struct FileSpan {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// The icons of a program as the platform's extraction finds them.
struct ProgramIcons {
    // One per icon the platform counts, in its order: the file offset of the
    // icon's group directory, whose header and every entry lie inside the
    // file; nothing where the platform finds no directory and so no icon.
    std::vector<std::optional<std::uint32_t>> groups;

    // The entries of the icon images' directory, in its order, each with the
    // ID the platform compares and the image's bytes; no bytes where the
    // platform finds none (no section holds them) or where they lie outside
    // the file, which only matters for an image no group names: a file
    // whose groups name such an image is refused.
    struct ImageEntry {
        std::uint16_t id = 0;
        std::optional<FileSpan> bytes;
        bool outside = false;  // the platform would read outside the file for it
    };
    std::vector<ImageEntry> images;

    // How an ID is found among the images: a PE file's platform searches the
    // numbered entries (from firstNumbered on) by halves, assuming them in
    // ascending order; a 16-bit file's takes the last entry with the ID.
    enum class Lookup { Halving, LastMatch };
    Lookup lookup = Lookup::Halving;
    std::size_t firstNumbered = 0;

    // What a negative index names on a PE file: the group entry whose ID
    // (the low 16 bits of its name field) is the index's magnitude, first
    // one first.
    std::vector<std::uint16_t> groupIds;

    // The image entry the platform takes for an ID; nullptr when it finds
    // none.
    const ImageEntry* Find(std::uint16_t id) const;
    // Its bytes; nothing when there are none.
    std::optional<FileSpan> Image(std::uint16_t id) const;
    // The group a negative index names; nothing when none does (or on a
    // 16-bit file, whose platform reads before its table then).
    std::optional<std::size_t> IndexOfGroupId(std::uint32_t id) const;
};

// The icons of a PE file, or nothing when listing them would make the
// platform read outside the file (headers, section table, resource
// directories, a group's entries, an image a group names). A PE file without resources, without
// icon groups or with a header the platform does not take lists no icons.
// Also nothing for a file larger than kLargestListedExecutable. `size` is
// the whole file.
std::optional<ProgramIcons> ReadPeIcons(const std::uint8_t* data, std::size_t size);

// The same for a 16-bit program or library.
std::optional<ProgramIcons> ReadNeIcons(const std::uint8_t* data, std::size_t size);

// Whether a reading judges the images the groups name, and refuses the file
// when one is unsafe (Judged); or leaves them to NamedImagesSafe, a group at
// a time (Deferred), so that a listing reads an image's bytes only when the
// icon is made.
enum class NamedImages { Judged, Deferred };

// Either, by the file's kind: an empty list for a file that is no program
// or a program of another kind, nothing for a damaged one.
std::optional<ProgramIcons> ReadProgramIcons(const std::uint8_t* data, std::size_t size,
                                             NamedImages named = NamedImages::Judged);

// Whether the images group `group` of a deferred reading names are ones the
// platform reads without leaving the file; a Judged reading refuses a file
// for which this is false for any group.
bool NamedImagesSafe(const std::uint8_t* data, std::size_t size, const ProgramIcons& icons, std::size_t group);

}  // namespace orbelune
