#include "platform/pe_resources.h"

#include "platform/icon_pixels.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <utility>


namespace orbelune {

namespace {

constexpr std::uint16_t kIconType = 3;        // RT_ICON
constexpr std::uint16_t kGroupIconType = 14;  // RT_GROUP_ICON
constexpr std::size_t kNewHeaderOffsetAt = 0x3C;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kResourceDataDirectory = 2;
constexpr std::uint32_t kOffsetBits = 0x7FFFFFFFu;  // an entry's target without its subdirectory bit
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntryReadSize = 8;  // the data's address and size
constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;

// A read the platform would make beyond its view of the file: the file is
// refused.
struct OutsideFile {};

// Reads of the file's bytes as the platform reads them through its view:
// each checked to lie inside the view (in 64 bits, so nothing wraps) before
// it is made, and zeros where the view goes past the file's end. Only the
// file's own bytes are touched.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size, NamedImages named = NamedImages::Judged,
          PagedReads* pages = nullptr)
        : data_(data), size_(size), reach_(MappedReach(size)), deferred_(named == NamedImages::Deferred),
          pages_(pages) {}

    std::uint64_t Size() const { return size_; }
    bool Holds(std::uint64_t offset, std::uint64_t length) const {
        offset = Address(offset);
        return offset <= reach_ && length <= reach_ - offset;
    }
    void Need(std::uint64_t offset, std::uint64_t length) const {
        if (!Holds(offset, length)) throw OutsideFile{};
    }
    std::uint8_t Byte(std::uint64_t offset) const {
        offset = Address(offset);
        if (offset >= size_) return 0;
        return pages_ ? pages_->Byte(offset) : data_[offset];
    }
    std::uint16_t Word(std::uint64_t offset) const {
        Need(offset, 2);
        const std::uint8_t bytes[2] = {Byte(offset), Byte(offset + 1)};
        return orbelune::Word(bytes);
    }
    std::uint32_t Dword(std::uint64_t offset) const {
        Need(offset, 4);
        const std::uint8_t bytes[4] = {Byte(offset), Byte(offset + 1), Byte(offset + 2), Byte(offset + 3)};
        return orbelune::Dword(bytes);
    }
    // The length of an image's bytes that the platform is handed, cut to the
    // view's end; nothing when it reads beyond the view for it.
    // Read through the pages when there are pages.
    std::optional<std::uint64_t> ImageLength(const FileSpan& span) const {
        if (!pages_) return MappedImageLength(data_, size_, span.offset, span.size);
        return PagedImageLength(*pages_, size_, span);
    }
    // An image's bytes, when the platform reads no further than its view for
    // them; cut to the view's end.
    void SetSpan(ProgramIcons::ImageEntry& image, std::uint32_t offset, std::uint32_t length) const {
        if (deferred_) {  // its pages are touched only when its icon is judged or made
            image.bytes = FileSpan{offset, length};
            image.unjudged = true;
            return;
        }
        const auto fits = MappedImageLength(data_, size_, offset, length);
        if (fits)
            image.bytes = FileSpan{offset, static_cast<std::uint32_t>(*fits)};
        else
            image.outside = true;
    }

private:
    // Where the platform's pointer to the view's start plus the offset
    // lands: in a 32-bit process it wraps at 4 GiB, so that an offset just
    // below 4 GiB lies before the view, and one past it inside.
    static std::uint64_t Address(std::uint64_t offset) {
        return sizeof(void*) == 4 ? offset & 0xFFFFFFFFu : offset;
    }

    const std::uint8_t* data_;
    std::uint64_t size_;
    std::uint64_t reach_;
    bool deferred_;
    PagedReads* pages_;
};

// Whether the platform chooses among a group directory's entries: only when
// its header is one it takes; else it asks for the image with ID 0.
bool GroupTaken(const Bytes& b, std::uint32_t at) {
    return b.Word(at) == 0 && (b.Word(at + 2) & 3) != 0 && b.Word(at + 4) != 0;
}

// What the platform reads of a group directory before it chooses an image:
// the header, and all the entries when the header is one it takes.
void NeedGroupDirectory(const Bytes& b, std::uint32_t at) {
    b.Need(at, kGroupHeaderSize);
    if (GroupTaken(b, at)) b.Need(at, kGroupHeaderSize + std::uint64_t{b.Word(at + 4)} * kGroupEntrySize);
}

// Refuses a group that names an image that the platform would read beyond
// its view for, or might read anywhere for (see SetSpan): the image it
// chooses, or any when the choice is not given. `find` gives the image
// entry of an ID, or none.
template <typename FindImage>
void NeedGroupImages(const Bytes& b, const std::optional<std::uint32_t>& group, const ChosenImageId& chosen,
                     const FindImage& find) {
    if (!group) return;
    const bool taken = GroupTaken(b, *group);
    const unsigned entries = chosen ? 1 : taken ? b.Word(*group + 4) : 1;
    for (unsigned j = 0; j < entries; ++j) {
        const std::uint16_t id = chosen ? chosen(*group)
                                 : taken ? b.Word(*group + kGroupHeaderSize + j * kGroupEntrySize + 12)
                                         : 0;
        const auto image = find(id);
        if (image && (image->outside || (image->unjudged && !b.ImageLength(*image->bytes)))) throw OutsideFile{};
    }
}

// Refuses a file one of whose groups names such an image.
void NeedNamedImages(const Bytes& b, const ProgramIcons& icons, const ChosenImageId& chosen, NamedImages named) {
    if (named == NamedImages::Deferred) return;
    for (const auto& group : icons.groups)
        NeedGroupImages(b, group, chosen, [&icons](std::uint16_t id) { return icons.Find(id); });
}

class PeReader {
public:
    explicit PeReader(const Bytes& b) : b_(b) {}
    // Over the directories a deferred reading found.
    PeReader(const Bytes& b, const ProgramIcons::Directories& found)
        : b_(b), sectionTable_(found.sectionTable), sectionCount_(found.sectionCount), root_(found.root) {}
    ProgramIcons Read(const ChosenImageId& chosen, NamedImages named);

    // The group directory of the group entry at `entry`: its offset, whose
    // header and entries lie inside the view; nothing where no section
    // holds it, which is no icon for the platform.
    std::optional<std::uint32_t> Group(std::uint64_t entry) const;
    // The image of the image entry at `entry`.
    ProgramIcons::ImageEntry Image(std::uint64_t entry) const;

private:
    enum class Found { Yes, No };
    // The file offset of a relative virtual address: the first section that
    // holds it, searched as the platform does (in 32-bit arithmetic).
    Found Map(std::uint32_t address, std::uint32_t& offset) const;
    // The target (offset from the root) of the numbered entry with this ID,
    // found by halves as the platform finds it.
    Found FindId(std::uint64_t directory, std::uint16_t id, std::uint32_t& target) const;
    // The data entry of a name's first language entry, which the platform
    // takes without looking at its kind: its offset from the root.
    std::uint64_t FirstLanguageData(std::uint32_t nameTarget) const;

    const Bytes& b_;
    std::uint64_t sectionTable_ = 0;
    unsigned sectionCount_ = 0;
    std::uint64_t root_ = 0;
};

PeReader::Found PeReader::Map(std::uint32_t address, std::uint32_t& offset) const {
    for (unsigned i = 0; i < sectionCount_; ++i) {
        // cppcheck-suppress redundantAssignment ; a constant of its own each time round the loop
        const std::uint64_t s = sectionTable_ + std::uint64_t{i} * kSectionHeaderSize;
        const std::uint32_t start = b_.Dword(s + 12), rawSize = b_.Dword(s + 16);
        if (start <= address && static_cast<std::uint32_t>(start + rawSize) > address) {
            offset = static_cast<std::uint32_t>(address - start + b_.Dword(s + 20));
            return Found::Yes;
        }
    }
    return Found::No;
}

PeReader::Found PeReader::FindId(std::uint64_t directory, std::uint16_t id, std::uint32_t& target) const {
    const std::uint64_t entries = directory + kDirectoryHeaderSize;
    int low = b_.Word(directory + 12);
    int high = low + b_.Word(directory + 14) - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const std::uint64_t entry = entries + static_cast<std::uint64_t>(middle) * kDirectoryEntrySize;
        const std::uint16_t found = b_.Word(entry);
        if (found == id) {
            target = b_.Dword(entry + 4) & kOffsetBits;
            return Found::Yes;
        }
        if (found > id)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return Found::No;
}

std::uint64_t PeReader::FirstLanguageData(std::uint32_t nameTarget) const {
    const std::uint64_t languages = root_ + (nameTarget & kOffsetBits);
    return root_ + (b_.Dword(languages + kDirectoryHeaderSize + 4) & kOffsetBits);
}

std::optional<std::uint32_t> PeReader::Group(std::uint64_t entry) const {
    const std::uint64_t data = FirstLanguageData(b_.Dword(entry + 4));
    std::uint32_t at;
    if (Map(b_.Dword(data), at) == Found::No) return std::nullopt;  // no directory: no icon
    NeedGroupDirectory(b_, at);
    return at;
}

ProgramIcons::ImageEntry PeReader::Image(std::uint64_t entry) const {
    ProgramIcons::ImageEntry image{b_.Word(entry), std::nullopt};
    // An image in no section is none for the platform; one whose entries
    // lead beyond the view matters only when a group names it.
    try {
        const std::uint64_t data = FirstLanguageData(b_.Dword(entry + 4));
        b_.Need(data, kDataEntryReadSize);
        std::uint32_t at;
        if (Map(b_.Dword(data), at) == Found::Yes) b_.SetSpan(image, at, b_.Dword(data + 4));
    } catch (const OutsideFile&) {
        image.outside = true;
    }
    return image;
}

ProgramIcons PeReader::Read(const ChosenImageId& chosen, NamedImages named) {
    ProgramIcons result;
    const std::uint64_t nt = b_.Dword(kNewHeaderOffsetAt);
    sectionCount_ = b_.Word(nt + 6);
    const std::uint64_t optional = nt + 24;
    sectionTable_ = optional + b_.Word(nt + 20);

    // The data directories, PE32 or PE32+: the platform takes no other header.
    const std::uint16_t magic = b_.Word(optional);
    if (magic != 0x10B && magic != 0x20B) return result;
    const std::uint64_t directories = optional + (magic == 0x10B ? 96 : 112);
    if (b_.Dword(directories - 4) <= kResourceDataDirectory) return result;
    // cppcheck-suppress redundantAssignment ; two reads of the file, no variable assigned twice
    const std::uint32_t resourceAddress = b_.Dword(directories + std::uint64_t{kResourceDataDirectory} * 8);
    if (resourceAddress == 0) return result;
    // The platform takes an address below the headers' size as the file
    // offset itself; any other through the sections.
    std::uint32_t rootOffset = resourceAddress;
    if (resourceAddress >= b_.Dword(optional + 60) && Map(resourceAddress, rootOffset) == Found::No) return result;
    root_ = rootOffset;

    std::uint32_t groupsTarget;
    if (FindId(root_, kGroupIconType, groupsTarget) == Found::No) return result;
    const std::uint64_t groups = root_ + groupsTarget;
    // Counted in 16 bits, as the platform counts them.
    const auto count = static_cast<std::uint16_t>(b_.Word(groups + 12) + b_.Word(groups + 14));
    const std::uint64_t groupEntries = groups + kDirectoryHeaderSize;
    const bool deferred = named == NamedImages::Deferred;
    if (deferred) {
        // Every entry the platform may read, as a whole reading reads them.
        b_.Need(groupEntries, std::uint64_t{count} * kDirectoryEntrySize);
        result.directories = ProgramIcons::Directories{sectionTable_, sectionCount_, root_, groupEntries, 0, count, 0};
    } else {
        result.groups.reserve(count);
        result.groupIds.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            // cppcheck-suppress redundantAssignment ; a constant of its own each time round the loop
            const std::uint64_t entry = groupEntries + std::uint64_t{i} * kDirectoryEntrySize;
            result.groupIds.push_back(b_.Word(entry));
            result.groups.push_back(Group(entry));
        }
    }
    if (count == 0) return result;

    std::uint32_t iconsTarget;
    if (FindId(root_, kIconType, iconsTarget) == Found::No) return result;  // no images: no icons
    const std::uint64_t icons = root_ + iconsTarget;
    const unsigned numberedFrom = b_.Word(icons + 12), total = numberedFrom + b_.Word(icons + 14);
    const std::uint64_t imageEntries = icons + kDirectoryHeaderSize;
    b_.Need(imageEntries, std::uint64_t{total} * kDirectoryEntrySize);
    result.firstNumbered = numberedFrom;
    if (deferred) {
        result.directories->images = imageEntries;
        result.directories->imageCount = total;
        return result;
    }
    result.images.reserve(total);
    for (unsigned k = 0; k < total; ++k) result.images.push_back(Image(imageEntries + std::uint64_t{k} * kDirectoryEntrySize));
    NeedNamedImages(b_, result, chosen, named);
    return result;
}

class NeReader {
public:
    explicit NeReader(const Bytes& b) : b_(b) {}
    ProgramIcons Read(const ChosenImageId& chosen, NamedImages named);

private:
    const Bytes& b_;
};

ProgramIcons NeReader::Read(const ChosenImageId& chosen, NamedImages named) {
    constexpr std::uint16_t kGroupIcons = 0x800E, kIcons = 0x8003;
    constexpr std::size_t kTypeInfoSize = 8, kNameInfoSize = 12;
    ProgramIcons result;
    result.lookup = ProgramIcons::Lookup::LastMatch;
    const std::uint64_t ne = b_.Dword(kNewHeaderOffsetAt);
    const std::uint16_t resourceTable = b_.Word(ne + 0x24);
    const std::uint16_t residentNames = b_.Word(ne + 0x26);
    // The platform compares the difference as an unsigned size: a table of
    // at most one type's header holds nothing for it.
    const auto difference = static_cast<std::uint32_t>(int{residentNames} - int{resourceTable});
    if (difference <= kTypeInfoSize) return result;

    const std::uint64_t table = ne + resourceTable;
    const unsigned shift = b_.Word(table) & 31u;  // the processor's shift takes five bits
    std::uint64_t type = table + 2, groupInfos = 0, iconInfos = 0;
    unsigned groupCount = 0, iconCount = 0;
    bool haveGroups = false, haveIcons = false;
    // Types up to the zero that ends the table, or until both are found.
    for (;;) {
        const std::uint16_t id = b_.Word(type);
        if (id == 0 || (haveGroups && haveIcons)) break;
        const std::uint16_t n = b_.Word(type + 2);
        if (id == kGroupIcons) {
            groupCount = n;
            groupInfos = type + kTypeInfoSize;
            haveGroups = true;
        }
        if (id == kIcons) {
            iconCount = n;
            iconInfos = type + kTypeInfoSize;
            haveIcons = true;
        }
        type += kTypeInfoSize + std::uint64_t{n} * kNameInfoSize;
    }
    if (!haveGroups || !haveIcons) return result;

    const auto scaled = [shift](std::uint16_t units) { return static_cast<std::uint32_t>(std::uint32_t{units} << shift); };
    result.groups.reserve(groupCount);
    for (unsigned i = 0; i < groupCount; ++i) {
        const std::uint64_t info = groupInfos + std::uint64_t{i} * kNameInfoSize;
        const std::uint32_t at = scaled(b_.Word(info));
        NeedGroupDirectory(b_, at);
        result.groups.emplace_back(at);
    }
    if (groupCount == 0) return result;
    b_.Need(iconInfos, std::uint64_t{iconCount} * kNameInfoSize);
    result.images.reserve(iconCount);
    for (unsigned k = 0; k < iconCount; ++k) {
        const std::uint64_t info = iconInfos + std::uint64_t{k} * kNameInfoSize;
        ProgramIcons::ImageEntry image{b_.Word(info + 6), std::nullopt};
        b_.SetSpan(image, scaled(b_.Word(info)), scaled(b_.Word(info + 2)));
        result.images.push_back(image);
    }
    NeedNamedImages(b_, result, chosen, named);
    return result;
}

}  // namespace

std::optional<std::uint64_t> PagedImageLength(PagedReads& pages, std::uint64_t size, const FileSpan& image,
                                              std::uint64_t* reads) {
    const auto fileByte = [&](std::uint64_t at) { return at < size ? pages.Byte(at) : std::uint8_t{0}; };
    ImageHead head;
    for (std::size_t i = 0; i < sizeof head.bytes; ++i) head.bytes[i] = fileByte(image.offset + i);
    const ReadEight read = [&fileByte](std::uint64_t at, std::uint8_t (&out)[8]) {
        for (std::size_t i = 0; i < 8; ++i) out[i] = fileByte(at + i);
    };
    return MappedImageLength(head, read, image.offset, image.size, size, nullptr, reads);
}

PagedReads::PagedReads(Read read) : read_(std::move(read)), pages_(kPagesKept) {}

std::uint8_t PagedReads::Byte(std::uint64_t offset) {
    const std::uint64_t index = offset / kPageSize;
    if (pages_[last_].index != index) {
        std::size_t found = 0;
        while (found < pages_.size() && pages_[found].index != index) ++found;
        if (found == pages_.size()) {  // read in place of the page read longest ago
            found = next_;
            next_ = (next_ + 1) % pages_.size();
            Page& page = pages_[found];
            page.bytes.resize(kPageSize);
            page.index = index;
            page.valid = read_ ? std::min(read_(index * kPageSize, page.bytes.data(), kPageSize), kPageSize) : 0;
        }
        last_ = found;
    }
    const Page& page = pages_[last_];
    const auto at = static_cast<std::size_t>(offset % kPageSize);
    return at < page.valid ? page.bytes[at] : 0;
}

ExecutableKind ClassifyExecutable(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || data[0] != 'M' || data[1] != 'Z') return ExecutableKind::NotExecutable;
    // The DOS header read through the view: zeros past a shorter file's end.
    const Bytes b(data, size);
    const std::uint64_t next = b.Dword(kNewHeaderOffsetAt);
    // The platform looks no further when the new header starts past the end.
    if (next >= size) return ExecutableKind::OtherExecutable;
    if (!b.Holds(next, 4)) return ExecutableKind::Damaged;
    const std::uint32_t signature = b.Dword(next);
    if (signature == 0x00004550u) return ExecutableKind::Pe;  // "PE\0\0"
    if ((signature & 0xFFFF) == 0x454Eu) return ExecutableKind::Ne;  // "NE"
    return ExecutableKind::OtherExecutable;
}

const ProgramIcons::ImageEntry* ProgramIcons::Find(std::uint16_t id) const {
    if (lookup == Lookup::LastMatch) {
        const auto wanted = static_cast<std::uint16_t>(id | 0x8000u);
        const ImageEntry* found = nullptr;
        for (const auto& image : images)
            if (image.id == wanted) found = &image;
        return found;
    }
    int low = static_cast<int>(firstNumbered);
    int high = static_cast<int>(images.size()) - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const ImageEntry& image = images[static_cast<std::size_t>(middle)];
        if (image.id == id) return &image;
        if (image.id > id)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return nullptr;
}

std::optional<FileSpan> ProgramIcons::Image(std::uint16_t id) const {
    const ImageEntry* image = Find(id);
    return image ? image->bytes : std::nullopt;
}

std::optional<std::size_t> ProgramIcons::IndexOfGroupId(std::uint32_t id) const {
    if (lookup == Lookup::LastMatch) return std::nullopt;
    for (std::size_t n = 0; n < groupIds.size(); ++n)
        if (groupIds[n] == id) return n;
    return std::nullopt;
}

namespace {

// A file of that kind read by that reader; nothing for a file of another
// kind or one whose reading would leave the platform's view of it.
template <typename Reader>
std::optional<ProgramIcons> ReadAs(const std::uint8_t* data, std::size_t size, ExecutableKind kind,
                                   const ChosenImageId& chosen, NamedImages named = NamedImages::Judged,
                                   PagedReads* pages = nullptr) {
    if (ClassifyExecutable(data, size) != kind) return std::nullopt;
    try {
        return Reader(Bytes(data, size, named, pages)).Read(chosen, named);
    } catch (const OutsideFile&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<ProgramIcons> ReadPeIcons(const std::uint8_t* data, std::size_t size, const ChosenImageId& chosen) {
    return ReadAs<PeReader>(data, size, ExecutableKind::Pe, chosen);
}

std::optional<ProgramIcons> ReadNeIcons(const std::uint8_t* data, std::size_t size, const ChosenImageId& chosen) {
    return ReadAs<NeReader>(data, size, ExecutableKind::Ne, chosen);
}

namespace {

// The entries of a deferred reading's directories, read through the view.
class DeferredWalk {
public:
    DeferredWalk(const std::uint8_t* data, std::size_t size, const ProgramIcons& icons, PagedReads* pages)
        : icons_(icons), found_(*icons.directories), b_(data, size, NamedImages::Deferred, pages), reader_(b_, found_) {}

    std::uint64_t GroupEntry(std::size_t index) const { return found_.groups + std::uint64_t{index} * kDirectoryEntrySize; }
    std::optional<std::uint32_t> Group(std::size_t index) const { return reader_.Group(GroupEntry(index)); }
    std::uint16_t GroupId(std::size_t index) const { return b_.Word(GroupEntry(index)); }

    // Found by halves among the numbered entries, as ProgramIcons::Find.
    std::optional<ProgramIcons::ImageEntry> Find(std::uint16_t id) const {
        int low = static_cast<int>(icons_.firstNumbered);
        int high = static_cast<int>(found_.imageCount) - 1;
        while (low <= high) {
            const int middle = (low + high) / 2;
            const std::uint64_t entry = found_.images + static_cast<std::uint64_t>(middle) * kDirectoryEntrySize;
            const std::uint16_t found = b_.Word(entry);
            if (found == id) return reader_.Image(entry);
            if (found > id)
                high = middle - 1;
            else
                low = middle + 1;
        }
        return std::nullopt;
    }

    const Bytes& Read() const { return b_; }

private:
    const ProgramIcons& icons_;
    const ProgramIcons::Directories& found_;
    Bytes b_;
    PeReader reader_;
};

std::optional<ProgramIcons::ImageEntry> Copy(const ProgramIcons::ImageEntry* image) {
    return image ? std::optional<ProgramIcons::ImageEntry>(*image) : std::nullopt;
}

}  // namespace

bool NamedImagesSafe(const std::uint8_t* data, std::size_t size, const ProgramIcons& icons, std::size_t group,
                     const ChosenImageId& chosen, PagedReads* pages) {
    if (group >= icons.Count()) return true;
    try {
        if (!icons.directories) {
            NeedGroupImages(Bytes(data, size, NamedImages::Judged, pages), icons.groups[group], chosen,
                            [&icons](std::uint16_t id) { return icons.Find(id); });
            return true;
        }
        const DeferredWalk walk(data, size, icons, pages);
        NeedGroupImages(walk.Read(), walk.Group(group), chosen, [&walk](std::uint16_t id) { return walk.Find(id); });
        return true;
    } catch (const OutsideFile&) {
        return false;
    }
}

std::optional<std::uint32_t> IconGroup(const std::uint8_t* data, std::size_t size, const ProgramIcons& icons,
                                       std::size_t index, PagedReads* pages) {
    if (index >= icons.Count()) return std::nullopt;
    if (!icons.directories) return icons.groups[index];
    try {
        return DeferredWalk(data, size, icons, pages).Group(index);
    } catch (const OutsideFile&) {
        return std::nullopt;
    }
}

std::optional<ProgramIcons::ImageEntry> ImageEntryOf(const std::uint8_t* data, std::size_t size,
                                                     const ProgramIcons& icons, std::uint16_t id, PagedReads* pages) {
    if (!icons.directories) return Copy(icons.Find(id));
    try {
        return DeferredWalk(data, size, icons, pages).Find(id);
    } catch (const OutsideFile&) {
        return std::nullopt;
    }
}

std::optional<std::size_t> IconOfGroupId(const std::uint8_t* data, std::size_t size, const ProgramIcons& icons,
                                         std::uint32_t id, PagedReads* pages) {
    if (!icons.directories) return icons.IndexOfGroupId(id);
    try {
        const DeferredWalk walk(data, size, icons, pages);
        for (std::size_t n = 0; n < icons.Count(); ++n)
            if (walk.GroupId(n) == id) return n;
        return std::nullopt;
    } catch (const OutsideFile&) {
        return std::nullopt;
    }
}

std::optional<ProgramIcons> ReadProgramIcons(const std::uint8_t* data, std::size_t size, const ChosenImageId& chosen,
                                             NamedImages named, PagedReads* pages) {
    switch (ClassifyExecutable(data, size)) {
    case ExecutableKind::Pe: return ReadAs<PeReader>(data, size, ExecutableKind::Pe, chosen, named, pages);
    case ExecutableKind::Ne: return ReadAs<NeReader>(data, size, ExecutableKind::Ne, chosen, named, pages);
    case ExecutableKind::Damaged: return std::nullopt;
    case ExecutableKind::NotExecutable:
    case ExecutableKind::OtherExecutable:
    default: return ProgramIcons{};
    }
}

}  // namespace orbelune
