#include "platform/pe_resources.h"

#include "support/icon_library.h"

#include <gtest/gtest.h>

namespace orbelune {
namespace {

using test::Bytes;

std::optional<ProgramIcons> Read(const Bytes& b) { return ReadProgramIcons(b.data(), b.size()); }

std::uint32_t Word(const Bytes& b, std::size_t at) { return b.at(at) | b.at(at + 1) << 8; }
std::uint32_t Dword(const Bytes& b, std::size_t at) { return Word(b, at) | Word(b, at + 2) << 16; }

Bytes Cut(const Bytes& b, std::size_t size) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(size)); }

TEST(PeResources, GroupsInTheDirectoryOrderWithTheirImages) {
    for (const bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        test::LibraryLayout layout;
        const Bytes library = test::IconLibrary(test::MixedGroups(), &layout, plus);
        const auto icons = Read(library);
        ASSERT_TRUE(icons);
        ASSERT_EQ(icons->groups.size(), 5u);
        // The named groups first: the first group is "APPLE", three images.
        EXPECT_EQ(icons->groups[0], layout.firstGroup);
        const std::size_t images[] = {3, 1, 1, 2, 2};
        for (std::size_t g = 0; g < 5; ++g) EXPECT_EQ(library.at(*icons->groups[g] + 4), images[g]);
        ASSERT_EQ(icons->images.size(), 9u);
        const auto first = icons->Image(1);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->offset, layout.firstImage);
        const Bytes image = test::IconImageResource({16, 4}, 1);
        EXPECT_EQ(first->size, image.size());
        EXPECT_TRUE(std::equal(image.begin(), image.end(), library.begin() + first->offset));
        EXPECT_TRUE(icons->Image(9));
        EXPECT_FALSE(icons->Image(10));
        EXPECT_FALSE(icons->Image(0));
        // A negative index names a numbered group by its ID.
        EXPECT_EQ(icons->IndexOfGroupId(2), 3u);
        EXPECT_FALSE(icons->IndexOfGroupId(4));
    }
}

TEST(PeResources, NoResourcesOrNoGroupsListNothing) {
    test::LibraryLayout layout;
    const auto none = Read(test::IconLibrary({}, &layout));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->groups.empty());

    const Bytes good = test::IconLibrary(test::MixedGroups(), &layout);
    const std::size_t directories = layout.optionalHeader + 96;
    struct Change {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    // Each a header the platform reads and then finds no icons behind.
    for (const Change& c : {Change{"no resource directory", directories + 16, 0},
                            Change{"two data directories", directories - 4, 2},
                            Change{"unknown optional header", layout.optionalHeader, 0x1234},
                            Change{"resources in no section", directories + 16, 0x00F00000},
                            Change{"only the first type counted", layout.resourceRoot + 12, 0x00010000},
                            Change{"resources 2 GiB further", directories + 16, Dword(good, directories + 16) | 0x80000000},
                            Change{"resources just past the section", directories + 16,
                                   Dword(good, layout.sectionTable + 12) + Dword(good, layout.sectionTable + 16)}}) {
        SCOPED_TRACE(c.what);
        Bytes b = good;
        if (c.at == layout.optionalHeader)
            test::PutWord(b, c.at, static_cast<std::uint16_t>(c.value));
        else
            test::PutDword(b, c.at, c.value);
        // The slot after the last section header: a section holding every
        // address, which the platform never reads.
        test::PutDword(b, layout.sectionTable + 40 * Word(good, layout.peHeader + 6) + 16, 0xFFFFFFFF);
        test::PutWord(b, 14, 0xFFFF);  // the file's start, read as a directory, would hold 65535 IDs
        const auto empty = Read(b);
        ASSERT_TRUE(empty);
        EXPECT_TRUE(empty->groups.empty());
    }
    // The resources in a second section, the first moved away.
    Bytes second = good;
    std::copy_n(good.begin() + static_cast<std::ptrdiff_t>(layout.sectionTable), 40,
                second.begin() + static_cast<std::ptrdiff_t>(layout.sectionTable + 40));
    test::PutWord(second, layout.peHeader + 6, 2);
    test::PutDword(second, layout.sectionTable + 12, 0x00F00000);
    EXPECT_EQ(Read(second)->groups.size(), 5u);
    // A group type directory without entries whose header ends at the
    // view's end lists nothing, read whole or an icon at a time; one byte
    // further it is refused.
    for (const std::uint64_t past : {0, 1}) {
        Bytes b = good;
        const std::size_t root = layout.resourceRoot;
        const std::uint64_t end = MappedReach(b.size()) + past;
        for (std::size_t k = 0; k < std::size_t{Word(b, root + 12)} + Word(b, root + 14); ++k)
            if (Word(b, root + 16 + 8 * k) == 14)
                test::PutDword(b, root + 16 + 8 * k + 4, static_cast<std::uint32_t>(end - 16 - root) | 0x80000000u);
        for (const NamedImages named : {NamedImages::Judged, NamedImages::Deferred}) {
            const auto icons = ReadProgramIcons(b.data(), b.size(), {}, named);
            EXPECT_EQ(icons.has_value(), past == 0);
            if (icons) {
                EXPECT_EQ(icons->Count(), 0u);
            }
        }
    }
    test::LibraryLayout plusLayout;  // where the other header has its resources
    Bytes plus = test::IconLibrary(test::MixedGroups(), &plusLayout, true);
    test::PutWord(plus, plusLayout.optionalHeader, 0x1234);
    EXPECT_TRUE(Read(plus)->groups.empty());
}

// The same icons, or the same refusal, as for the file's bytes with zeros
// after them.
void ExpectSameReading(const std::optional<ProgramIcons>& a, const std::optional<ProgramIcons>& b) {
    ASSERT_EQ(a.has_value(), b.has_value());
    if (!a) return;
    EXPECT_EQ(a->groups, b->groups);
    ASSERT_EQ(a->images.size(), b->images.size());
    for (std::size_t k = 0; k < a->images.size(); ++k) {
        EXPECT_EQ(a->images[k].id, b->images[k].id);
        EXPECT_EQ(a->images[k].outside, b->images[k].outside);
        ASSERT_EQ(a->images[k].bytes.has_value(), b->images[k].bytes.has_value()) << "image " << k;
        if (a->images[k].bytes) {
            EXPECT_EQ(a->images[k].bytes->offset, b->images[k].bytes->offset);
            EXPECT_EQ(a->images[k].bytes->size, b->images[k].bytes->size);
        }
    }
}

// The platform reads a file through a view that ends with the file's last
// page: a file cut anywhere reads as its first bytes followed by zeros to
// that page's end, for a 32-, 64- and 16-bit library alike.
TEST(PeResources, CutFileReadsAsZerosToItsLastPagesEnd) {
    const test::ImageRecipe k8{.bits = 8}, k32{.bits = 32};
    const test::LibrarySpec spec = test::OneGroupPerImage({k8, k32, {.width = 16, .height = 16, .bits = 4}});
    test::LibrarySpec plus = spec;
    plus.plus = true;
    test::NeSpec ne = test::NeSpecOf(spec);
    ne.shift = 9;
    for (const Bytes& whole : {test::LibraryOf(spec), test::LibraryOf(plus), test::NeProgramOf(ne)}) {
        int listed = 0;
        for (std::size_t n = 2; n <= whole.size(); n += 7) {
            SCOPED_TRACE(n);
            Bytes zeros = Cut(whole, n);
            zeros.resize(MappedReach(n), 0);
            const auto cut = Read(Cut(whole, n));
            ExpectSameReading(cut, Read(zeros));
            listed += cut && !cut->groups.empty();
        }
        EXPECT_GT(listed, 0);
    }
    // So do reads a page at a time, whatever page a page's memory held before.
    constexpr std::size_t kPage = 4096, kPagesKept = 16;  // as many as it keeps: the next read goes into the first's
    const Bytes file(kPage * kPagesKept + 1, 0xAB);
    PagedReads pages([&](std::uint64_t offset, std::uint8_t* buffer, std::size_t size) {
        const auto n = std::min<std::size_t>(size, file.size() - offset);
        std::copy_n(file.data() + offset, n, buffer);
        return n;
    });
    for (std::size_t page = 0; page < kPagesKept; ++page) pages.Byte(page * kPage);
    EXPECT_EQ(std::pair(pages.Byte(file.size() - 1), pages.Byte(file.size())), std::pair(std::uint8_t{0xAB}, std::uint8_t{0}));
}

// Only a read beyond that page refuses a file: a group directory moved to
// the end of a file of whole pages, whole or running a byte past the page.
TEST(PeResources, RefusedExactlyWhereThePlatformWouldReadBeyondItsView) {
    test::LibraryLayout l;
    const Bytes good = test::IconLibrary(test::MixedGroups(), &l);
    const std::size_t sectionStart = l.resourceRoot;
    const std::size_t groupSize = 6 + 14 * good.at(l.firstGroup + 4);
    for (const int past : {-1, 0, 1}) {
        SCOPED_TRACE(past);
        const std::size_t page = MappedReach(good.size() + groupSize);
        Bytes moved = good;
        moved.resize(page - groupSize + static_cast<std::size_t>(past), 0);
        const std::size_t at = moved.size();
        moved.insert(moved.end(), good.begin() + static_cast<std::ptrdiff_t>(l.firstGroup),
                     good.begin() + static_cast<std::ptrdiff_t>(l.firstGroup + groupSize));
        test::PutDword(moved, l.firstGroupDataEntry, static_cast<std::uint32_t>(0x1000 + at - sectionStart));
        test::PutDword(moved, l.sectionTable + 16, static_cast<std::uint32_t>(moved.size() - sectionStart));
        // Its last entry's last bytes cut off, the file inside the page.
        moved.resize(std::min(moved.size(), page) - 1);
        const auto icons = Read(moved);
        EXPECT_EQ(icons.has_value(), past < 1);
        if (icons) {
            EXPECT_EQ(icons->groups[0], at);
        }
    }

    // An image no group names is no reason to refuse it.
    Bytes unnamed = good;
    test::PutDword(unnamed, l.iconType + 16 + 8 * 8 + 4, 0x7FFFFFF0);  // its languages far past the end
    EXPECT_FALSE(Read(unnamed));  // while a group names it
    Bytes wide = unnamed;  // also when its first image is 256 wide (a width byte of 0)
    wide[*Read(good)->groups[4] + 6] = 0;
    EXPECT_FALSE(Read(wide));
    test::PutWord(unnamed, *Read(good)->groups[4] + 6 + 14 + 12, 8);
    ASSERT_TRUE(Read(unnamed));
    EXPECT_FALSE(Read(unnamed)->Image(9));
    // An empty image at the file's very end is inside it.
    test::PutDword(unnamed, l.iconType + 16 + 8 * 8 + 4, Dword(good, l.iconType + 16 + 8 * 8 + 4));
    const std::size_t languages9 = l.resourceRoot + (Dword(good, l.iconType + 16 + 8 * 8 + 4) & 0x7FFFFFFF);
    const std::size_t entry9 = l.resourceRoot + Dword(good, languages9 + 20);
    test::PutDword(unnamed, entry9, Dword(good, l.sectionTable + 12) + static_cast<std::uint32_t>(unnamed.size() - l.resourceRoot));
    test::PutDword(unnamed, entry9 + 4, 0);
    test::PutDword(unnamed, l.sectionTable + 16, static_cast<std::uint32_t>(unnamed.size() + 16 - l.resourceRoot));
    ASSERT_TRUE(Read(unnamed));
    ASSERT_TRUE(Read(unnamed)->Image(9));
    EXPECT_EQ(Read(unnamed)->Image(9)->offset, unnamed.size());

    // A named image's data entry ending at the view's end is read whole.
    Bytes end = good;
    const std::size_t languages0 = l.resourceRoot + (Dword(good, l.iconType + 16 + 4) & 0x7FFFFFFF);
    end.resize(MappedReach(good.size() + 8) - 8, 0);
    end.insert(end.end(), good.begin() + static_cast<std::ptrdiff_t>(l.resourceRoot + Dword(good, languages0 + 20)),
               good.begin() + static_cast<std::ptrdiff_t>(l.resourceRoot + Dword(good, languages0 + 20) + 8));
    test::PutDword(end, languages0 + 20, static_cast<std::uint32_t>(end.size() - 8 - l.resourceRoot));
    ExpectSameReading(Read(end), Read(good));

    // An image a group names whose entries lead outside the file.
    Bytes b = good;
    test::PutDword(b, l.iconType + 16 + 4, 0xFFFFFFF0);
    EXPECT_FALSE(Read(b));

    // Resources below the headers' size are read from the file offset of
    // their address: here past the view of a file shorter than a page.
    test::LibraryLayout small;
    b = test::LibraryOf(test::OneGroupPerImage({{.width = 16, .height = 16, .bits = 4}}), &small);
    ASSERT_LT(b.size(), 0x1000u);
    test::PutDword(b, small.optionalHeader + 60, 0x1000);
    EXPECT_TRUE(Read(b));
    test::PutDword(b, small.optionalHeader + 60, 0x1001);
    EXPECT_FALSE(Read(b));
    // A file that holds the directory there lists what it finds there.
    const Bytes section(b.begin() + static_cast<std::ptrdiff_t>(small.resourceRoot), b.end());
    b.resize(0x1000, 0);
    b.insert(b.end(), section.begin(), section.end());
    ASSERT_TRUE(Read(b));
    EXPECT_EQ(Read(b)->groups.size(), 1u);

    // Group counts in 16 bits, entries inside the file.
    b = good;
    test::PutWord(b, l.groupType + 12, 0xFFFF);
    test::PutWord(b, l.groupType + 14, 1);
    const auto wrapped = Read(b);  // 0xFFFF + 1 named and numbered: none
    ASSERT_TRUE(wrapped);
    EXPECT_TRUE(wrapped->groups.empty());
    EXPECT_TRUE(wrapped->images.empty());
    test::PutWord(b, l.groupType + 14, 2);
    ASSERT_TRUE(Read(b));
    EXPECT_EQ(Read(b)->groups.size(), 1u);

    // A group the platform finds in no section gives no icon.
    b = good;
    test::PutDword(b, l.firstGroupDataEntry, 0x00F00000);
    const auto noGroup = Read(b);
    ASSERT_TRUE(noGroup);
    EXPECT_FALSE(noGroup->groups[0]);
    EXPECT_TRUE(noGroup->groups[1]);
    test::PutDword(b, l.firstGroupDataEntry, Dword(b, l.sectionTable + 12) + Dword(b, l.sectionTable + 16));
    EXPECT_FALSE(Read(b)->groups[0]);  // just past the section's end
}

// The damaged libraries the picker's listing tests compare with the
// platform: those refused here are the ones it could only read outside of.
TEST(PeResources, DamagedLibrariesRefused) {
    int refused = 0;
    for (const auto& damaged : test::DamagedLibraries()) refused += !Read(damaged.bytes);
    EXPECT_EQ(refused, 17);
}

TEST(PeResources, ImagesFoundAsThePlatformFindsThem) {
    test::LibraryLayout l;
    Bytes b = test::IconLibrary(test::MixedGroups(), &l);
    // The platform searches by halves: IDs out of order hide some images.
    test::PutDword(b, l.iconType + 16, 500);
    const auto icons = Read(b);
    ASSERT_TRUE(icons);
    EXPECT_FALSE(icons->Image(1));
    EXPECT_FALSE(icons->Image(500));
    EXPECT_TRUE(icons->Image(5));
    EXPECT_TRUE(icons->Image(9));

    // A third type counted: the first found by halves all the same.
    b = test::IconLibrary(test::MixedGroups(), &l);
    test::PutWord(b, l.resourceRoot + 14, 3);
    EXPECT_EQ(Read(b)->images.size(), 9u);

    // No image type before the group type: groups without images.
    b = test::IconLibrary(test::MixedGroups(), &l);
    test::PutWord(b, l.resourceRoot + 16, 4);
    ASSERT_TRUE(Read(b));
    EXPECT_EQ(Read(b)->groups.size(), 5u);
    EXPECT_TRUE(Read(b)->images.empty());

    // The first image's data entry moved to the file's last 8 bytes.
    b = test::IconLibrary(test::MixedGroups(), &l);
    const std::size_t languages = l.resourceRoot + (Dword(b, l.iconType + 20) & 0x7FFFFFFF);
    const std::size_t entry = l.resourceRoot + Dword(b, languages + 20);
    b.insert(b.end(), b.begin() + static_cast<std::ptrdiff_t>(entry), b.begin() + static_cast<std::ptrdiff_t>(entry + 8));
    test::PutDword(b, languages + 20, static_cast<std::uint32_t>(b.size() - 8 - l.resourceRoot));
    test::PutDword(b, l.sectionTable + 16, static_cast<std::uint32_t>(b.size() - l.resourceRoot));
    ASSERT_TRUE(Read(b));
    EXPECT_EQ(Read(b)->Image(1)->offset, l.firstImage);
}

// A 16-bit program as the platform reads it: its resource table only when
// it is longer than one type's header, the alignment shift, the image found
// last with the ID, and a file refused where the walk leaves it.
TEST(NeResources, IconsAsThePlatformFindsThem) {
    const test::ImageRecipe k8{.bits = 8}, k32{.bits = 32};
    test::NeSpec spec = test::NeSpecOf(test::OneGroupPerImage({k8, k32}));
    spec.images.push_back({2, test::ImageBytes({.bits = 4}), 0});  // a second image 2, after the first
    test::NeLayout l;
    const Bytes good = test::NeProgramOf(spec, &l);
    const auto icons = Read(good);
    ASSERT_TRUE(icons);
    ASSERT_EQ(icons->groups.size(), 2u);
    EXPECT_EQ(icons->groups[0], l.firstGroup);
    EXPECT_EQ(icons->images.size(), 3u);
    ASSERT_TRUE(icons->Image(2));
    const Bytes last = test::ImageBytes({.bits = 4});
    EXPECT_EQ(icons->Image(2)->size, (last.size() + 15) / 16 * 16);  // lengths count in units of the shift
    EXPECT_TRUE(std::equal(last.begin(), last.end(), good.begin() + icons->Image(2)->offset));
    // The processor's shift takes five bits of the alignment shift.
    for (const auto& [shift, same] : {std::pair{36, true}, std::pair{20, false}}) {
        Bytes b = good;
        test::PutWord(b, l.resourceTable, static_cast<std::uint16_t>(shift));
        const auto shifted = Read(b);
        EXPECT_EQ(shifted && shifted->Image(2) && shifted->Image(2)->offset == icons->Image(2)->offset, same) << shift;
    }
    EXPECT_FALSE(icons->IndexOfGroupId(1));
    // No groups, the images' type first: nothing is read of the images.
    test::NeSpec iconsFirst = spec;
    iconsFirst.iconsFirst = true;
    test::NeLayout il;
    Bytes noGroups = test::NeProgramOf(iconsFirst, &il);
    test::PutWord(noGroups, il.groupType + 2, 0);
    ASSERT_TRUE(Read(noGroups));
    EXPECT_TRUE(Read(noGroups)->images.empty());
    Bytes b = good;
    test::PutWord(b, l.iconType, 0x8006);  // no image type: no icons
    EXPECT_TRUE(Read(b)->groups.empty());

    // The resident names 8 bytes after the resource table: nothing there.
    b = good;
    const auto table = static_cast<std::uint16_t>(l.resourceTable - l.neHeader);
    test::PutWord(b, l.neHeader + 0x26, static_cast<std::uint16_t>(table + 8));
    ASSERT_TRUE(Read(b));
    EXPECT_TRUE(Read(b)->groups.empty());
    test::PutWord(b, l.neHeader + 0x26, static_cast<std::uint16_t>(table + 9));
    EXPECT_EQ(Read(b)->groups.size(), 2u);

    // The last image's length counts whole units, past the file's end when
    // the file is not padded: read as far as it needs, inside the view.
    const auto lastImage = *icons->Image(2);
    const auto unpadded = Read(Cut(good, lastImage.offset + last.size()));
    ASSERT_TRUE(unpadded);
    EXPECT_EQ(unpadded->Image(2)->size, lastImage.size);
    // A type list without its end, running past the file: refused.
    b = good;
    test::PutWord(b, l.terminator, 0x8006);
    test::PutWord(b, l.terminator + 2, 0xFFFF);
    EXPECT_TRUE(Read(b));  // both types found: the list is not read further
    std::swap(b[l.groupType], b[l.terminator]);  // no group type before it any more
    EXPECT_FALSE(Read(b));
}

Bytes Put(Bytes b, std::size_t at, std::uint32_t value) {
    b[0] = 'M';
    b[1] = 'Z';
    test::PutDword(b, at, value);
    return b;
}

TEST(PeResources, KindsOfFiles) {
    const Bytes library = test::IconLibrary(test::MixedGroups());
    Bytes ne = library;
    ne[0x40] = 'N';
    ne[0x41] = 'E';
    Bytes le = library;
    le[0x40] = 'L';
    le[0x41] = 'E';
    const Bytes ico = test::IcoFile({{32, 32}}, 1);
    Bytes dos(64, 0);  // a DOS header whose new header is the file's start
    dos[0] = 'M', dos[1] = 'Z';
    const struct {
        Bytes bytes;
        ExecutableKind kind;
    } table[] = {
        {library, ExecutableKind::Pe},
        {ne, ExecutableKind::Ne},
        {le, ExecutableKind::OtherExecutable},
        {ico, ExecutableKind::NotExecutable},
        {{'M'}, ExecutableKind::NotExecutable},
        // Read through the view: zeros past the end. "MZ" alone is its own
        // new header, no PE or NE one; a cut "PE" ends in zeros.
        {{'M', 'Z'}, ExecutableKind::OtherExecutable},
        {Cut(library, 0x42), ExecutableKind::Pe},
        {Cut(library, 0x40), ExecutableKind::OtherExecutable},  // its new header starts past the end
        {Put(Bytes(4096, 0), 0x3C, 0xFFD), ExecutableKind::Damaged},  // its signature across the page's end
        {Put(Bytes(4096, 0), 0x3C, 0xFFC), ExecutableKind::OtherExecutable},
        {Put(Bytes(4096, 0), 0x3C, 0x1000), ExecutableKind::OtherExecutable},  // its new header just past the end
        {dos, ExecutableKind::OtherExecutable},
        {Cut(dos, 63), ExecutableKind::OtherExecutable},
    };
    for (const auto& row : table) EXPECT_EQ(ClassifyExecutable(row.bytes.data(), row.bytes.size()), row.kind);
    // Each reader takes its own kind only.
    EXPECT_FALSE(ReadPeIcons(ne.data(), ne.size()));
    EXPECT_FALSE(ReadNeIcons(library.data(), library.size()));
    EXPECT_TRUE(ReadPeIcons(library.data(), library.size()));
}

// A listing reads where the directories lie at once and walks each icon's
// group and images when it is asked for: over damaged and generated files
// it refuses exactly what a whole reading refuses, with the same groups, the
// same images for every ID and the same icons for every group ID.
TEST(PeResources, DeferredReadingRefusesGroupByGroupWhatAWholeReadingRefuses) {
    std::vector<std::pair<std::string, Bytes>> files;
    for (const auto& damaged : test::DamagedLibraries()) files.emplace_back(damaged.what, damaged.bytes);
    for (const auto& generated : test::GeneratedFiles(3, 400)) files.emplace_back(generated.label, generated.bytes);
    int refused = 0, compared = 0;
    // Each walk reads the structure through the bytes given, or a page at a
    // time through the pages (whose reads are counted).
    for (const auto& file : files) for (const bool paged : {false, true}) {
        const Bytes& bytes = file.second;
        SCOPED_TRACE(file.first + (paged ? ", paged" : ""));
        std::size_t reads = 0;
        PagedReads pagedReads([&](std::uint64_t offset, std::uint8_t* buffer, std::size_t size) -> std::size_t {
            ++reads;
            if (offset >= bytes.size()) return 0;
            const auto n = std::min<std::size_t>(size, bytes.size() - offset);
            std::copy_n(bytes.data() + offset, n, buffer);
            return n;
        });
        PagedReads* pages = paged ? &pagedReads : nullptr;
        const auto whole = Read(bytes);
        const auto deferred = ReadProgramIcons(bytes.data(), bytes.size(), {}, NamedImages::Deferred, pages);
        bool unsafe = !deferred;
        for (std::size_t g = 0; deferred && g < deferred->Count(); ++g)
            unsafe = unsafe || !NamedImagesSafe(bytes.data(), bytes.size(), *deferred, g, {}, pages);
        EXPECT_EQ(unsafe, !whole);
        if (!whole || !deferred) {
            refused += unsafe;
            continue;
        }
        ASSERT_EQ(whole->Count(), deferred->Count());
        for (std::size_t g = 0; g <= deferred->Count(); ++g)
            EXPECT_EQ(IconGroup(bytes.data(), bytes.size(), *whole, g),
                      IconGroup(bytes.data(), bytes.size(), *deferred, g, pages));
        EXPECT_TRUE(NamedImagesSafe(bytes.data(), bytes.size(), *whole, whole->Count(), {}));  // past the last icon
        std::vector<std::uint32_t> ids{0, 0xFFFF, 0x10000};
        for (const auto& image : whole->images) ids.insert(ids.end(), {image.id, image.id + 1u, image.id - 1u});
        for (const std::uint32_t wide : ids) {
            const auto id = static_cast<std::uint16_t>(wide);
            const auto a = ImageEntryOf(bytes.data(), bytes.size(), *whole, id);
            auto b = ImageEntryOf(bytes.data(), bytes.size(), *deferred, id, pages);
            ASSERT_EQ(a.has_value(), b.has_value()) << id;
            if (!a) continue;
            // A whole reading cuts the image to the view; a deferred one
            // leaves that to its judging.
            ASSERT_TRUE(!b->bytes || b->unjudged);
            if (b->bytes) {
                const auto length = MappedImageLength(bytes.data(), bytes.size(), b->bytes->offset, b->bytes->size);
                b->outside = !length;
                b->bytes = length ? std::optional<FileSpan>({b->bytes->offset, static_cast<std::uint32_t>(*length)})
                                  : std::nullopt;
            }
            EXPECT_EQ(a->id, b->id);
            EXPECT_EQ(a->outside, b->outside);
            ASSERT_EQ(a->bytes.has_value(), b->bytes.has_value());
            if (a->bytes) {
                EXPECT_EQ(std::pair(a->bytes->offset, a->bytes->size), std::pair(b->bytes->offset, b->bytes->size));
            }
        }
        for (const std::uint32_t id : ids)
            EXPECT_EQ(IconOfGroupId(bytes.data(), bytes.size(), *whole, id),
                      IconOfGroupId(bytes.data(), bytes.size(), *deferred, id, pages));
        EXPECT_TRUE(paged || reads == 0);
        if (paged && whole->Count() > 0) {
            EXPECT_GT(reads, 0u);
        }
        ++compared;
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(compared, 200);
}

}  // namespace
}  // namespace orbelune
