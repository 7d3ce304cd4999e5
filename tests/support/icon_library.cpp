#include "support/icon_library.h"

#include <algorithm>

namespace orbelune::test {

namespace {

constexpr std::uint32_t kSectionAddress = 0x1000;
constexpr std::size_t kHeadersSize = 0x200;

void AddWord(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void AddDword(Bytes& b, std::uint32_t v) {
    AddWord(b, v & 0xFFFF);
    AddWord(b, v >> 16);
}

std::size_t Row(int width, int bits) { return static_cast<std::size_t>((width * bits + 31) / 32 * 4); }

std::size_t Align(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

}  // namespace

void PutWord(Bytes& b, std::size_t at, std::uint16_t value) {
    b.at(at) = static_cast<std::uint8_t>(value);
    b.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

void PutDword(Bytes& b, std::size_t at, std::uint32_t value) {
    PutWord(b, at, static_cast<std::uint16_t>(value));
    PutWord(b, at + 2, static_cast<std::uint16_t>(value >> 16));
}

Bytes IconImageResource(ImageSpec spec, int seed) {
    const int n = spec.size;
    const std::size_t row = Row(n, spec.bits), maskRow = Row(n, 1);
    Bytes b;
    AddDword(b, 40);
    AddDword(b, static_cast<std::uint32_t>(n));
    AddDword(b, static_cast<std::uint32_t>(2 * n));
    AddWord(b, 1);
    AddWord(b, static_cast<unsigned>(spec.bits));
    AddDword(b, 0);
    AddDword(b, static_cast<std::uint32_t>((row + maskRow) * static_cast<std::size_t>(n)));
    for (int i = 0; i < 4; ++i) AddDword(b, 0);
    if (spec.bits <= 8)
        for (int i = 0; i < (1 << spec.bits); ++i) AddDword(b, static_cast<std::uint32_t>((i * 0x10305 + seed * 0x1F3D5B) & 0xFFFFFF));
    for (int y = 0; y < n; ++y)
        for (std::size_t x = 0; x < row; ++x)
            b.push_back(static_cast<std::uint8_t>(spec.bits == 32 && x % 4 == 3 ? (((x / 4 + static_cast<std::size_t>(y)) % 3) ? 255 : 0)
                                                                                 : x * 7 + static_cast<std::size_t>(y * 13 + seed * 31)));
    for (int y = 0; y < n; ++y)
        for (std::size_t x = 0; x < maskRow; ++x) b.push_back(static_cast<std::uint8_t>((y + seed) % 4 == 0 ? 0xF0 : 0x00));
    return b;
}

Bytes IcoFile(const std::vector<ImageSpec>& images, int seed) {
    Bytes b;
    AddWord(b, 0);
    AddWord(b, 1);
    AddWord(b, static_cast<unsigned>(images.size()));
    std::vector<Bytes> data;
    for (std::size_t i = 0; i < images.size(); ++i) data.push_back(IconImageResource(images[i], seed + static_cast<int>(i)));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        b.push_back(static_cast<std::uint8_t>(images[i].size % 256));
        b.push_back(static_cast<std::uint8_t>(images[i].size % 256));
        b.push_back(static_cast<std::uint8_t>(images[i].bits < 8 ? 1 << images[i].bits : 0));
        b.push_back(0);
        AddWord(b, 1);
        AddWord(b, static_cast<unsigned>(images[i].bits));
        AddDword(b, static_cast<std::uint32_t>(data[i].size()));
        AddDword(b, offset);
        offset += static_cast<std::uint32_t>(data[i].size());
    }
    for (const Bytes& d : data) b.insert(b.end(), d.begin(), d.end());
    return b;
}

Bytes IconLibrary(const std::vector<GroupSpec>& groups, LibraryLayout* layoutOut, bool plus) {
    LibraryLayout layout;
    struct Image {
        ImageSpec spec;
        int seed;
    };
    std::vector<Image> images;
    std::size_t named = 0;
    for (const GroupSpec& g : groups) {
        if (!g.name.empty()) ++named;
        for (const ImageSpec& s : g.images) images.push_back({s, static_cast<int>(images.size()) * 5 + 1});
    }
    const std::size_t nGroups = groups.size(), nImages = images.size();

    // The resource section, laid out first: directories, data entries,
    // names, then the data.
    const std::size_t root = 0, iconType = 16 + 2 * 8, groupType = iconType + 16 + nImages * 8;
    const std::size_t languages = groupType + 16 + nGroups * 8;  // one per image, then one per group
    const std::size_t dataEntries = languages + (nImages + nGroups) * 24;
    std::size_t names = dataEntries + (nImages + nGroups) * 16;
    std::vector<std::size_t> nameAt;
    std::size_t cursor = names;
    for (const GroupSpec& g : groups)
        if (!g.name.empty()) {
            nameAt.push_back(cursor);
            cursor += 2 + 2 * g.name.size();
        }
    cursor = Align(cursor, 8);
    std::vector<std::size_t> groupAt, imageAt;
    std::vector<Bytes> imageBytes;
    for (const GroupSpec& g : groups) {
        groupAt.push_back(cursor);
        cursor = Align(cursor + 6 + 14 * g.images.size(), 8);
    }
    for (const Image& i : images) {
        imageAt.push_back(cursor);
        imageBytes.push_back(IconImageResource(i.spec, i.seed));
        cursor = Align(cursor + imageBytes.back().size(), 8);
    }
    const std::size_t rawSize = Align(cursor, 0x200);
    Bytes r(rawSize, 0);
    auto directory = [&](std::size_t at, std::size_t namedCount, std::size_t ids) {
        PutWord(r, at + 12, static_cast<std::uint16_t>(namedCount));
        PutWord(r, at + 14, static_cast<std::uint16_t>(ids));
    };
    auto entry = [&](std::size_t dir, std::size_t i, std::uint32_t name, std::uint32_t target) {
        PutDword(r, dir + 16 + i * 8, name);
        PutDword(r, dir + 16 + i * 8 + 4, target);
    };
    directory(root, 0, 2);
    entry(root, 0, 3, static_cast<std::uint32_t>(iconType) | 0x80000000u);
    entry(root, 1, 14, static_cast<std::uint32_t>(groupType) | 0x80000000u);
    directory(iconType, 0, nImages);
    directory(groupType, named, nGroups - named);
    auto leaf = [&](std::size_t k, std::size_t dataAt, std::size_t size) {
        const std::size_t lang = languages + k * 24, data = dataEntries + k * 16;
        directory(lang, 0, 1);
        entry(lang, 0, 0x409, static_cast<std::uint32_t>(data));
        PutDword(r, data, static_cast<std::uint32_t>(kSectionAddress + dataAt));
        PutDword(r, data + 4, static_cast<std::uint32_t>(size));
        return static_cast<std::uint32_t>(lang) | 0x80000000u;
    };
    for (std::size_t i = 0; i < nImages; ++i) {
        entry(iconType, i, static_cast<std::uint32_t>(i + 1), leaf(i, imageAt[i], imageBytes[i].size()));
        std::copy(imageBytes[i].begin(), imageBytes[i].end(), r.begin() + static_cast<std::ptrdiff_t>(imageAt[i]));
    }
    std::size_t firstImage = 1, namedSeen = 0, numeric = 0;
    for (std::size_t g = 0; g < nGroups; ++g) {
        const GroupSpec& spec = groups[g];
        const std::size_t at = groupAt[g];
        PutWord(r, at + 2, 1);
        PutWord(r, at + 4, static_cast<std::uint16_t>(spec.images.size()));
        for (std::size_t i = 0; i < spec.images.size(); ++i) {
            const std::size_t e = at + 6 + 14 * i;
            const ImageSpec s = spec.images[i];
            r[e] = static_cast<std::uint8_t>(s.size % 256);
            r[e + 1] = static_cast<std::uint8_t>(s.size % 256);
            r[e + 2] = static_cast<std::uint8_t>(s.bits < 8 ? 1 << s.bits : 0);
            PutWord(r, e + 4, 1);
            PutWord(r, e + 6, static_cast<std::uint16_t>(s.bits));
            PutDword(r, e + 8, static_cast<std::uint32_t>(imageBytes[firstImage - 1 + i].size()));
            PutWord(r, e + 12, static_cast<std::uint16_t>(firstImage + i));
        }
        firstImage += spec.images.size();
        std::uint32_t name;
        if (!spec.name.empty()) {
            const std::size_t n = nameAt[namedSeen++];
            PutWord(r, n, static_cast<std::uint16_t>(spec.name.size()));
            for (std::size_t c = 0; c < spec.name.size(); ++c) PutWord(r, n + 2 + 2 * c, static_cast<std::uint16_t>(spec.name[c]));
            name = static_cast<std::uint32_t>(n) | 0x80000000u;
        } else {
            name = static_cast<std::uint32_t>(++numeric);
        }
        entry(groupType, g, name, leaf(nImages + g, at, 6 + 14 * spec.images.size()));
    }

    // Headers: DOS header, "PE\0\0", file header, PE32 optional header, one section.
    Bytes b(kHeadersSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    layout.peHeader = 0x40;
    PutDword(b, 0x3C, 0x40);
    b[0x40] = 'P';
    b[0x41] = 'E';
    const std::size_t file = 0x44;
    const std::size_t optionalSize = plus ? 240 : 224, directories = plus ? 112 : 96;
    PutWord(b, file, plus ? 0x8664 : 0x14C);
    PutWord(b, file + 2, 1);
    PutWord(b, file + 16, static_cast<std::uint16_t>(optionalSize));
    PutWord(b, file + 18, plus ? 0x2022 : 0x2102);
    const std::size_t opt = file + 20;
    layout.optionalHeader = opt;
    PutWord(b, opt, plus ? 0x20B : 0x10B);
    PutDword(b, opt + (plus ? 24 : 28), 0x10000000);  // image base
    PutDword(b, opt + 32, 0x1000);      // section alignment
    PutDword(b, opt + 36, 0x200);       // file alignment
    PutWord(b, opt + 40, 4);
    PutWord(b, opt + 48, 4);
    PutDword(b, opt + 56, static_cast<std::uint32_t>(kSectionAddress + Align(rawSize, 0x1000)));  // image size
    PutDword(b, opt + 60, static_cast<std::uint32_t>(kHeadersSize));
    PutWord(b, opt + 68, 2);  // GUI subsystem
    PutDword(b, opt + directories - 4, 16);
    PutDword(b, opt + directories + 16, kSectionAddress);
    PutDword(b, opt + directories + 20, static_cast<std::uint32_t>(cursor));
    const std::size_t section = opt + optionalSize;
    layout.sectionTable = section;
    const char name[8] = {'.', 'r', 's', 'r', 'c'};
    std::copy(name, name + 8, b.begin() + static_cast<std::ptrdiff_t>(section));
    PutDword(b, section + 8, static_cast<std::uint32_t>(cursor));
    PutDword(b, section + 12, kSectionAddress);
    PutDword(b, section + 16, static_cast<std::uint32_t>(rawSize));
    PutDword(b, section + 20, static_cast<std::uint32_t>(kHeadersSize));
    PutDword(b, section + 36, 0x40000040);
    b.insert(b.end(), r.begin(), r.end());

    const std::size_t base = kHeadersSize;
    layout.resourceRoot = base;
    layout.iconType = base + iconType;
    layout.groupType = base + groupType;
    layout.firstGroupLanguages = base + languages + nImages * 24;
    layout.firstGroupDataEntry = base + dataEntries + nImages * 16;
    layout.firstGroup = nGroups ? base + groupAt[0] : 0;
    layout.firstImage = nImages ? base + imageAt[0] : 0;
    layout.sectionEnd = b.size();
    layout.boundaries = {0, 0x3C, layout.peHeader, file, opt, section, base, base + iconType, base + groupType};
    for (std::size_t k = 0; k < nImages + nGroups; ++k) {
        layout.boundaries.push_back(base + languages + k * 24);
        layout.boundaries.push_back(base + dataEntries + k * 16);
    }
    for (std::size_t n : nameAt) layout.boundaries.push_back(base + n);
    for (std::size_t g : groupAt) layout.boundaries.push_back(base + g);
    for (std::size_t i : imageAt) layout.boundaries.push_back(base + i);
    std::sort(layout.boundaries.begin(), layout.boundaries.end());
    if (layoutOut) *layoutOut = layout;
    return b;
}

}  // namespace orbelune::test

namespace orbelune::test {

std::vector<GroupSpec> MixedGroups() {
    return {
        {L"APPLE", {{16, 4}, {32, 8}, {48, 32}}},
        {L"ZEBRA", {{48, 8}}},
        {L"", {{32, 32}}},
        {L"", {{16, 8}, {48, 4}}},
        {L"", {{32, 4}, {16, 32}}},
    };
}

std::vector<DamagedLibrary> DamagedLibraries() {
    LibraryLayout l;
    const Bytes good = IconLibrary(MixedGroups(), &l);
    std::vector<DamagedLibrary> damaged;
    // From the first cut that still says "MZ": an empty file is no program.
    for (std::size_t cut : l.boundaries)
        if (cut > 0) damaged.push_back({"cut at " + std::to_string(cut), Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut))});
    damaged.push_back({"cut one byte short", Bytes(good.begin(), good.end() - 1)});

    auto changed = [&](std::string what, std::size_t at, std::uint32_t value, int width) {
        Bytes b = good;
        if (width == 2)
            PutWord(b, at, static_cast<std::uint16_t>(value));
        else
            PutDword(b, at, value);
        damaged.push_back({std::move(what), std::move(b)});
    };
    const std::size_t root = l.resourceRoot, section = l.sectionTable;
    const std::size_t groupRelative = l.groupType - root;
    changed("root named count 0xFFFF", root + 12, 0xFFFF, 2);
    changed("root ID count 0xFFFF", root + 14, 0xFFFF, 2);
    changed("icon directory ID count 0xFFFF", l.iconType + 14, 0xFFFF, 2);
    changed("group directory named count 0xFFFF", l.groupType + 12, 0xFFFF, 2);
    changed("group directory ID count 0xFFFF", l.groupType + 14, 0xFFFF, 2);
    changed("language count 0xFFFF", l.firstGroupLanguages + 14, 0xFFFF, 2);
    changed("group image count 0xFFFF", l.firstGroup + 4, 0xFFFF, 2);
    changed("group image count 0", l.firstGroup + 4, 0, 2);
    changed("subdirectory offset 0xFFFFFFF0", root + 16 + 8 + 4, 0xFFFFFFF0, 4);
    changed("subdirectory offset past the section", root + 16 + 8 + 4, 0x80000000u | static_cast<std::uint32_t>(l.sectionEnd), 4);
    changed("group data address 0xFFFFFFF0", l.firstGroupDataEntry, 0xFFFFFFF0, 4);
    changed("group data size 0xFFFFFFFF", l.firstGroupDataEntry + 4, 0xFFFFFFFF, 4);
    changed("group data size past the section", l.firstGroupDataEntry + 4, static_cast<std::uint32_t>(l.sectionEnd), 4);
    changed("data entry offset past the section", l.firstGroupLanguages + 16 + 4, static_cast<std::uint32_t>(l.sectionEnd), 4);
    changed("section file offset 0x7FFFFFF0", section + 20, 0x7FFFFFF0, 4);
    changed("section raw size 0xFFFFFFFF", section + 16, 0xFFFFFFFF, 4);
    changed("section address 0xFFFFF000", section + 12, 0xFFFFF000, 4);
    changed("resource address outside every section", l.optionalHeader + 96 + 16, 0x00F00000, 4);
    changed("section count 0xFFFF", l.peHeader + 4 + 2, 0xFFFF, 2);
    changed("optional header size 0xFFFF", l.peHeader + 4 + 16, 0xFFFF, 2);
    changed("optional header magic unknown", l.optionalHeader, 0x1234, 2);
    changed("new header offset 0x7FFFFFF0", 0x3C, 0x7FFFFFF0, 4);
    changed("new header offset at the last byte", 0x3C, static_cast<std::uint32_t>(good.size() - 1), 4);
    changed("group directory points at itself", l.groupType + 16 + 4, 0x80000000u | static_cast<std::uint32_t>(groupRelative), 4);
    changed("group's languages point at the root", l.groupType + 16 + 4, 0x80000000u, 4);
    changed("language entry points at a directory", l.firstGroupLanguages + 16 + 4, 0x80000000u | static_cast<std::uint32_t>(groupRelative), 4);
    changed("icon groups point at the root", root + 16 + 8 + 4, 0x80000000u, 4);
    changed("group names a missing icon", l.firstGroup + 6 + 12, 999, 2);
    changed("group type not an icon group", l.firstGroup + 2, 2, 2);
    changed("icon IDs out of order", l.iconType + 16, 500, 4);
    changed("image width 0x7FFFFFFF", l.firstImage + 4, 0x7FFFFFFF, 4);
    changed("image bit count 3", l.firstImage + 14, 3, 2);
    changed("image header size past the image", l.firstImage, 0xFFFFFFF0, 4);
    changed("group name past the section", l.groupType + 16, 0x80000000u | 0x7FFFFFF0, 4);
    return damaged;
}

}  // namespace orbelune::test
