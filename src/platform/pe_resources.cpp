#include "platform/pe_resources.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orbelune {

namespace {

constexpr std::uint16_t kIconType = 3;        // RT_ICON
constexpr std::uint16_t kGroupIconType = 14;  // RT_GROUP_ICON
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNewHeaderOffsetAt = 0x3C;
constexpr std::size_t kFileHeaderSize = 20;  // after the 4-byte "PE\0\0"
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kResourceDataDirectory = 2;
constexpr std::size_t kSizeOfHeadersAt = 60;  // in the optional header, PE32 and PE32+ alike
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
// The platform numbers the groups with 16 bits.
constexpr std::size_t kMostGroups = 0xFFFF;

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Dword(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Whether [offset, offset + length) lies inside [0, limit), in 64 bits so
// that nothing wraps.
bool Inside(std::uint64_t offset, std::uint64_t length, std::uint64_t limit) {
    return offset <= limit && length <= limit - offset;
}

std::uint64_t RowBytes(std::uint64_t width, unsigned bits) { return (width * bits + 31) / 32 * 4; }

// An icon image: a PNG stream, or a bitmap header whose colour table,
// colour pixels and mask all fit the resource.
bool IconImageFits(const std::uint8_t* p, std::uint32_t size) {
    static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= sizeof kPng && std::memcmp(p, kPng, sizeof kPng) == 0) return size >= 33;  // signature and header chunk
    if (size < 4) return false;
    const std::uint32_t headerSize = Dword(p);
    std::uint64_t width, height, colours, table = 0;
    unsigned planes, bits;
    if (headerSize == 12) {  // BITMAPCOREHEADER
        width = Word(p + 4);
        height = Word(p + 6);
        planes = Word(p + 8);
        bits = Word(p + 10);
        if (bits <= 8) table = (std::uint64_t{1} << bits) * 3;
    } else {
        if (headerSize < 40 || headerSize > size) return false;
        const auto signedWidth = static_cast<std::int32_t>(Dword(p + 4));
        const auto signedHeight = static_cast<std::int32_t>(Dword(p + 8));
        if (signedWidth <= 0 || signedHeight <= 0) return false;
        width = static_cast<std::uint64_t>(signedWidth);
        height = static_cast<std::uint64_t>(signedHeight);
        planes = Word(p + 12);
        bits = Word(p + 14);
        const std::uint32_t compression = Dword(p + 16);
        if (compression != 0 && compression != 3) return false;  // BI_RGB, BI_BITFIELDS
        colours = std::min<std::uint32_t>(Dword(p + 32), 256);
        if (colours == 0 && bits <= 8) colours = std::uint64_t{1} << bits;
        table = colours * 4 + (compression == 3 && headerSize == 40 ? 12 : 0);
    }
    if (headerSize > size || planes != 1) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    const std::uint64_t rows = height / 2;  // colour pixels above, mask below
    if (width == 0 || rows == 0) return false;
    const std::uint64_t needed = headerSize + table + RowBytes(width, bits) * rows + RowBytes(width, 1) * rows;
    return needed <= size;
}

struct Section {
    std::uint32_t address;  // relative virtual address
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

struct Directory {
    std::uint64_t offset;  // of the directory, from the resource root
    std::uint64_t entries;  // file offset of the first entry
    unsigned named;
    unsigned ids;
    unsigned Count() const { return named + ids; }
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::optional<PeIcons> Read();

private:
    bool ReadHeaders(std::uint32_t& resourceAddress);
    // The file bytes of [address, address + size) of the loaded image: in the
    // first section that holds the address, as the platform maps it.
    std::optional<FileSpan> Map(std::uint32_t address, std::uint32_t size) const;
    std::optional<Directory> OpenDirectory(std::uint64_t offset) const;
    std::uint32_t EntryName(const Directory& d, unsigned i) const { return Dword(data_ + d.entries + i * kDirectoryEntrySize); }
    std::uint32_t EntryTarget(const Directory& d, unsigned i) const {
        return Dword(data_ + d.entries + i * kDirectoryEntrySize + 4);
    }
    // The directory an entry leads to, refusing one that points back at the
    // directories above it.
    std::optional<Directory> Subdirectory(const Directory& d, unsigned i,
                                          std::initializer_list<std::uint64_t> above) const;
    // The numeric entry with this ID; -1 when there is none.
    int FindId(const Directory& d, std::uint16_t id) const;
    // The data of a name's first language, as the platform takes it.
    std::optional<FileSpan> FirstLanguageData(const Directory& type, unsigned i) const;
    bool ReadIcons(const Directory& type, PeIcons& result) const;
    bool ReadGroups(const Directory& type, PeIcons& result) const;

    const std::uint8_t* data_;
    std::size_t size_;
    std::vector<Section> sections_;
    std::uint64_t root_ = 0;      // file offset of the resource directory
    std::uint64_t rootLimit_ = 0;  // bytes from the root to its section's end
};

bool Reader::ReadHeaders(std::uint32_t& resourceAddress) {
    resourceAddress = 0;
    const std::uint64_t pe = Dword(data_ + kNewHeaderOffsetAt);
    const std::uint64_t fileHeader = pe + 4;
    if (!Inside(fileHeader, kFileHeaderSize, size_)) return false;
    const unsigned sectionCount = Word(data_ + fileHeader + 2);
    const unsigned optionalSize = Word(data_ + fileHeader + 16);
    const std::uint64_t optional = fileHeader + kFileHeaderSize;
    if (!Inside(optional, optionalSize, size_) || optionalSize < 2) return false;

    std::uint64_t directories;  // the data directories within the optional header
    switch (Word(data_ + optional)) {
    case 0x10B: directories = 96; break;   // PE32
    case 0x20B: directories = 112; break;  // PE32+
    default: return false;
    }
    if (optionalSize < directories) return false;
    const std::uint32_t directoryCount = Dword(data_ + optional + directories - 4);
    if (directoryCount > kResourceDataDirectory) {
        const std::uint64_t resource = directories + static_cast<std::uint64_t>(kResourceDataDirectory) * 8;
        if (optionalSize < resource + 8) return false;
        resourceAddress = Dword(data_ + optional + resource);
    }
    // The loader takes an address below the headers' size from the headers
    // themselves: resources there would overlap them.
    const std::uint32_t headersSize = Dword(data_ + optional + kSizeOfHeadersAt);
    if (resourceAddress != 0 && resourceAddress < headersSize) return false;

    const std::uint64_t table = optional + optionalSize;
    if (!Inside(table, std::uint64_t{sectionCount} * kSectionHeaderSize, size_)) return false;
    sections_.reserve(sectionCount);
    for (unsigned i = 0; i < sectionCount; ++i) {
        const std::uint8_t* s = data_ + table + i * kSectionHeaderSize;
        const Section section{Dword(s + 12), Dword(s + 16), Dword(s + 20)};
        // A file cut short anywhere before the end of its last section is
        // damaged, whichever part of it the icons need.
        if (section.rawSize != 0 && !Inside(section.rawOffset, section.rawSize, size_)) return false;
        // Nor may a section's addresses run past 32 bits.
        if (!Inside(section.address, section.rawSize, 0x100000000u)) return false;
        sections_.push_back(section);
    }
    return true;
}

std::optional<FileSpan> Reader::Map(std::uint32_t address, std::uint32_t size) const {
    for (const Section& s : sections_) {
        if (address < s.address || address - s.address >= s.rawSize) continue;
        const std::uint64_t within = address - s.address;
        if (!Inside(within, size, s.rawSize)) return std::nullopt;
        return FileSpan{static_cast<std::uint32_t>(s.rawOffset + within), size};
    }
    return std::nullopt;
}

std::optional<Directory> Reader::OpenDirectory(std::uint64_t offset) const {
    if (!Inside(offset, kDirectoryHeaderSize, rootLimit_)) return std::nullopt;
    const std::uint8_t* header = data_ + root_ + offset;
    Directory d{offset, root_ + offset + kDirectoryHeaderSize, Word(header + 12), Word(header + 14)};
    if (d.Count() > kMostGroups) return std::nullopt;
    if (!Inside(offset + kDirectoryHeaderSize, std::uint64_t{d.Count()} * kDirectoryEntrySize, rootLimit_))
        return std::nullopt;
    std::int64_t previousId = -1;
    for (unsigned i = 0; i < d.Count(); ++i) {
        const std::uint32_t name = EntryName(d, i);
        if (i >= d.named) {
            // Numeric IDs come after the names, in ascending order: the
            // platform finds them by binary search.
            if (name > 0xFFFF || name <= previousId) return std::nullopt;
            previousId = name;
            continue;
        }
        // A name: its length in UTF-16 units, then the units.
        const std::uint64_t text = name & ~kSubdirectoryBit;
        if (!(name & kSubdirectoryBit) || !Inside(text, 2, rootLimit_)) return std::nullopt;
        if (!Inside(text + 2, std::uint64_t{Word(data_ + root_ + text)} * 2, rootLimit_)) return std::nullopt;
    }
    return d;
}

std::optional<Directory> Reader::Subdirectory(const Directory& d, unsigned i,
                                              std::initializer_list<std::uint64_t> above) const {
    const std::uint32_t target = EntryTarget(d, i);
    if (!(target & kSubdirectoryBit)) return std::nullopt;
    const std::uint64_t offset = target & ~kSubdirectoryBit;
    if (offset == d.offset || std::find(above.begin(), above.end(), offset) != above.end()) return std::nullopt;
    return OpenDirectory(offset);
}

int Reader::FindId(const Directory& d, std::uint16_t id) const {
    int low = static_cast<int>(d.named);
    int high = static_cast<int>(d.Count()) - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const std::uint32_t found = EntryName(d, static_cast<unsigned>(middle));
        if (found == id) return middle;
        if (found > id)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return -1;
}

std::optional<FileSpan> Reader::FirstLanguageData(const Directory& type, unsigned i) const {
    const auto languages = Subdirectory(type, i, {0});
    if (!languages || languages->Count() == 0) return std::nullopt;
    for (unsigned j = 0; j < languages->Count(); ++j)
        if (EntryTarget(*languages, j) & kSubdirectoryBit) return std::nullopt;  // a fourth level: no data
    const std::uint64_t entry = EntryTarget(*languages, 0);
    if (!Inside(entry, kDataEntrySize, rootLimit_)) return std::nullopt;
    const std::uint8_t* e = data_ + root_ + entry;
    return Map(Dword(e), Dword(e + 4));
}

bool Reader::ReadIcons(const Directory& type, PeIcons& result) const {
    result.icons.reserve(type.ids);
    for (unsigned i = 0; i < type.Count(); ++i) {
        const auto bytes = FirstLanguageData(type, i);
        if (!bytes || !IconImageFits(data_ + bytes->offset, bytes->size)) return false;
        if (i >= type.named) result.icons.push_back({static_cast<std::uint16_t>(EntryName(type, i)), *bytes});
    }
    return true;
}

bool Reader::ReadGroups(const Directory& type, PeIcons& result) const {
    result.groups.reserve(type.Count());
    for (unsigned i = 0; i < type.Count(); ++i) {
        const auto bytes = FirstLanguageData(type, i);
        if (!bytes || bytes->size < kGroupHeaderSize) return false;
        const std::uint8_t* group = data_ + bytes->offset;
        const unsigned count = Word(group + 4);
        if (Word(group) != 0 || Word(group + 2) != 1 || count == 0) return false;
        if (!Inside(kGroupHeaderSize, std::uint64_t{count} * kGroupEntrySize, bytes->size)) return false;
        for (unsigned j = 0; j < count; ++j)
            if (!result.Icon(Word(group + kGroupHeaderSize + j * kGroupEntrySize + 12))) return false;
        result.groups.push_back(*bytes);
    }
    return true;
}

std::optional<PeIcons> Reader::Read() {
    if (ClassifyExecutable(data_, size_) != ExecutableKind::Pe) return std::nullopt;
    std::uint32_t resourceAddress;
    if (!ReadHeaders(resourceAddress)) return std::nullopt;
    PeIcons result;
    if (resourceAddress == 0) return result;  // no resources at all

    const Section* home = nullptr;
    for (const Section& s : sections_)
        if (resourceAddress >= s.address && resourceAddress - s.address < s.rawSize) {
            home = &s;
            break;
        }
    if (!home) return std::nullopt;
    root_ = home->rawOffset + std::uint64_t{resourceAddress - home->address};
    rootLimit_ = home->rawSize - std::uint64_t{resourceAddress - home->address};

    const auto root = OpenDirectory(0);
    if (!root) return std::nullopt;
    const int groupIndex = FindId(*root, kGroupIconType);
    if (groupIndex < 0) return result;  // no icon groups
    const auto groups = Subdirectory(*root, static_cast<unsigned>(groupIndex), {});
    if (!groups) return std::nullopt;
    const int iconIndex = FindId(*root, kIconType);
    if (iconIndex >= 0) {
        const auto icons = Subdirectory(*root, static_cast<unsigned>(iconIndex), {});
        if (!icons || !ReadIcons(*icons, result)) return std::nullopt;
    }
    if (!ReadGroups(*groups, result)) return std::nullopt;
    return result;
}

}  // namespace

ExecutableKind ClassifyExecutable(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || data[0] != 'M' || data[1] != 'Z') return ExecutableKind::NotExecutable;
    if (size < kDosHeaderSize) return ExecutableKind::Damaged;
    const std::uint64_t next = Dword(data + kNewHeaderOffsetAt);
    if (!Inside(next, 4, size)) return ExecutableKind::Damaged;
    if (std::memcmp(data + next, "PE\0\0", 4) == 0) return ExecutableKind::Pe;
    return ExecutableKind::OtherExecutable;
}

const IconResource* PeIcons::Icon(std::uint16_t id) const {
    const auto found = std::lower_bound(icons.begin(), icons.end(), id,
                                        [](const IconResource& icon, std::uint16_t value) { return icon.id < value; });
    return found != icons.end() && found->id == id ? &*found : nullptr;
}

std::optional<PeIcons> ReadPeIcons(const std::uint8_t* data, std::size_t size) {
    if (size > kLargestListedExecutable) return std::nullopt;
    return Reader(data, size).Read();
}

}  // namespace orbelune
