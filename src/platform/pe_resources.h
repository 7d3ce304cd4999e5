// The icon resources of a Windows program or library, 32- or 64-bit (PE) or
// 16-bit (NE), read from the file's bytes exactly as the platform's icon
// extraction walks them, with every read it would make checked against the
// file first. Free of windows.h: only bytes that passed these checks reach
// the platform's icon calls.
//
// The platform's extraction checks almost nothing: it maps the file and
// follows offsets wherever they point, reading a group's entries and an
// image's bytes by the counts and sizes the file states. Its view ends with
// the file's last page, whose bytes past the file's end read as zeros. A
// file that would make it read beyond that page is refused whole;
// everything it reads inside the view is taken as it takes it, so the same
// icons come out, including the ones it finds nothing for.
#pragma once

#include "platform/icon_pixels.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace orbelune {

// A file's bytes read into a few pages of memory of the reader's own rather
// than through a view of the file: how a listing walks a program's
// directories without the pages it reads becoming part of the process
// (the system maps a whole neighbourhood of every page read through a view,
// 64 KiB or more). `read` gives the bytes at an offset, fewer only at the
// file's end; the last few pages read are kept.
class PagedReads {
public:
    using Read = std::function<std::size_t(std::uint64_t offset, std::uint8_t* buffer, std::size_t size)>;
    explicit PagedReads(Read read);
    // The byte at an offset inside the file; 0 where it cannot be read.
    std::uint8_t Byte(std::uint64_t offset);

private:
    static constexpr std::size_t kPageSize = 4096;
    static constexpr std::size_t kPagesKept = 16;
    struct Page {
        std::uint64_t index = ~std::uint64_t{0};
        std::size_t valid = 0;
        std::vector<std::uint8_t> bytes;
    };
    Read read_;
    std::vector<Page> pages_;
    std::size_t last_ = 0;  // the page read from last
    std::size_t next_ = 0;  // the page replaced next
};

enum class ExecutableKind {
    NotExecutable,    // no "MZ": an icon file or anything else
    Pe,               // "PE\0\0" behind the DOS header
    Ne,               // "NE" behind the DOS header: a 16-bit program or library
    OtherExecutable,  // another new header, or one past the file's end: no icons for the platform
    Damaged,          // "MZ" whose new header's signature lies across the view's end
};

ExecutableKind ClassifyExecutable(const std::uint8_t* data, std::size_t size);

// Bytes inside the platform's view of the file (see MappedReach): up to the
// end of its last page, where the bytes past the file's end are zeros.
struct FileSpan {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// The length of an image's bytes that the platform is handed, cut to the
// view's end, of a file of `size` bytes read through `pages`; nothing when
// it reads beyond the view for it (see MappedImageLength).
std::optional<std::uint64_t> PagedImageLength(PagedReads& pages, std::uint64_t size, const FileSpan& image,
                                              std::uint64_t* reads = nullptr);

// The icons of a program as the platform's extraction finds them.
struct ProgramIcons {
    // One per icon the platform counts, in its order: the file offset of the
    // icon's group directory, whose header and every entry lie inside the
    // view; nothing where the platform finds no directory and so no icon.
    std::vector<std::optional<std::uint32_t>> groups;

    // The entries of the icon images' directory, in its order, each with the
    // ID the platform compares and the image's bytes (its stated size, cut
    // to the view's end: the platform reads no further than the image needs,
    // see IconImageExtent); no bytes where the platform finds none (no
    // section holds them) or where it would read beyond the view for them,
    // which only matters for an image no group names: a file whose groups
    // name such an image is refused.
    struct ImageEntry {
        std::uint16_t id = 0;
        std::optional<FileSpan> bytes;
        bool outside = false;  // the platform would read beyond its view for it
        // Read by a Deferred reading: its bytes as its entry states them, not
        // yet looked at (see NamedImagesSafe and MappedImageLength).
        bool unjudged = false;
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

    // A PE file read with NamedImages::Deferred holds none of the lists
    // above: where its directories lie, checked to lie inside the view with
    // all their entries, and each icon's group and image are walked when
    // the icon is asked for (IconGroup, ChosenImageEntry), so that a
    // listing reads the pages of the icons it shows and no others.
    struct Directories {
        std::uint64_t sectionTable = 0;
        unsigned sectionCount = 0;
        std::uint64_t root = 0;
        std::uint64_t groups = 0;  // the group directory's entries
        std::uint64_t images = 0;  // the image directory's entries
        unsigned groupCount = 0;
        unsigned imageCount = 0;   // 0 where the file has no image directory
    };
    std::optional<Directories> directories;

    // The number of icons, the platform's.
    std::size_t Count() const { return directories ? directories->groupCount : groups.size(); }

    // The image entry the platform takes for an ID; nullptr when it finds
    // none.
    const ImageEntry* Find(std::uint16_t id) const;
    // Its bytes; nothing when there are none.
    std::optional<FileSpan> Image(std::uint16_t id) const;
    // The group a negative index names; nothing when none does (or on a
    // 16-bit file, whose platform reads before its table then).
    std::optional<std::size_t> IndexOfGroupId(std::uint32_t id) const;
};

// The image ID the platform chooses from the group directory at a file
// offset (inside the view, with all its entries), for the size it makes
// icons at. Without it every entry counts as chosen.
using ChosenImageId = std::function<std::uint16_t(std::uint32_t groupOffset)>;

// The icons of a PE file, or nothing when listing them would make the
// platform read beyond its view of the file (headers, section table,
// resource directories, a group's entries, an image a group names). A PE
// file without resources, without icon groups or with a header the
// platform does not take lists no icons. `size` is the whole file; only its
// bytes are read, the view's zeros past them are the reader's own.
std::optional<ProgramIcons> ReadPeIcons(const std::uint8_t* data, std::size_t size, const ChosenImageId& chosen = {});

// The same for a 16-bit program or library.
std::optional<ProgramIcons> ReadNeIcons(const std::uint8_t* data, std::size_t size, const ChosenImageId& chosen = {});

// Whether a reading refuses the file when a group names an image the
// platform cannot read inside its view (Judged), or leaves that to
// NamedImagesSafe, a group at a time (Deferred), so that a listing asks for
// the platform's choice of image only for the icons it shows.
enum class NamedImages { Judged, Deferred };

// Either, by the file's kind: an empty list for a file that is no program
// or a program of another kind, nothing for a damaged one.
// `pages`, when given, reads the file's structure (headers, directories,
// groups) instead of `data`; the images' bytes are read from `data`.
std::optional<ProgramIcons> ReadProgramIcons(const std::uint8_t* data, std::size_t size,
                                             const ChosenImageId& chosen = {},
                                             NamedImages named = NamedImages::Judged, PagedReads* pages = nullptr);

// Whether the platform reads the group of icon `group` of a deferred
// reading and the images it names without leaving its view of the file (the
// chosen one, or every one without a choice); a Judged reading refuses a
// file for which this is false for any group.
bool NamedImagesSafe(const std::uint8_t* data, std::size_t size, const ProgramIcons& icons, std::size_t group,
                     const ChosenImageId& chosen = {}, PagedReads* pages = nullptr);

// Lookups that serve a reading of either kind, walking the directories of a
// deferred one in the same bytes it was read from (and through `pages`
// when given, as ReadProgramIcons).
// The offset of icon `index`'s group directory, inside the view with all
// its entries; nothing past the end, where the platform finds none and,
// for a deferred reading, where the platform would read beyond its view
// for it (NamedImagesSafe is false then).
std::optional<std::uint32_t> IconGroup(const std::uint8_t* data, std::size_t size, const ProgramIcons& icons,
                                       std::size_t index, PagedReads* pages = nullptr);
// The image entry the platform takes for an ID (see ProgramIcons::Find).
std::optional<ProgramIcons::ImageEntry> ImageEntryOf(const std::uint8_t* data, std::size_t size,
                                                     const ProgramIcons& icons, std::uint16_t id,
                                                     PagedReads* pages = nullptr);
// The icon a negative index names (see ProgramIcons::IndexOfGroupId).
std::optional<std::size_t> IconOfGroupId(const std::uint8_t* data, std::size_t size, const ProgramIcons& icons,
                                         std::uint32_t id, PagedReads* pages = nullptr);

}  // namespace orbelune
