// Icon libraries written byte by byte for the tests and benchmarks: a
// resource-only 32-bit DLL holding icon groups, with the offsets of its
// structures so that tests can damage it on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orbelune::test {

using Bytes = std::vector<std::uint8_t>;

struct ImageSpec {
    int size;  // width and height in pixels
    int bits;  // 1, 4, 8, 24 or 32
};

// An icon image resource: bitmap header, colour table, pixels and mask, in a
// pattern that differs with the seed.
Bytes IconImageResource(ImageSpec spec, int seed);
// An .ico file of these images.
Bytes IcoFile(const std::vector<ImageSpec>& images, int seed);

struct GroupSpec {
    std::wstring name;  // empty: a numeric ID
    std::vector<ImageSpec> images;
};

// Where the structures of a generated library lie, as file offsets.
struct LibraryLayout {
    std::size_t peHeader = 0;       // "PE\0\0"
    std::size_t optionalHeader = 0;
    std::size_t sectionTable = 0;
    std::size_t resourceRoot = 0;   // the .rsrc section's start
    std::size_t iconType = 0;       // the RT_ICON directory
    std::size_t groupType = 0;      // the RT_GROUP_ICON directory
    std::size_t firstGroupLanguages = 0;
    std::size_t firstGroupDataEntry = 0;
    std::size_t firstGroup = 0;     // the first group's GRPICONDIR
    std::size_t firstImage = 0;
    std::size_t sectionEnd = 0;     // the file's end
    // The start of every structure, ascending.
    std::vector<std::size_t> boundaries;
};

// A resource-only PE32 DLL with the groups in the given order (named ones
// must come first, sorted, as a resource compiler writes them); numeric
// groups get IDs 1, 2, ... and images IDs 1, 2, ... in order.
// With `plus`, a PE32+ (64-bit) library.
Bytes IconLibrary(const std::vector<GroupSpec>& groups, LibraryLayout* layout = nullptr, bool plus = false);

void PutWord(Bytes& b, std::size_t at, std::uint16_t value);
void PutDword(Bytes& b, std::size_t at, std::uint32_t value);

}  // namespace orbelune::test

namespace orbelune::test {

// The library the damage below starts from: two named groups, then numeric
// ones, of mixed sizes (16, 32, 48) and depths (4, 8, 32).
std::vector<GroupSpec> MixedGroups();

struct DamagedLibrary {
    std::string what;
    Bytes bytes;
};

// The mixed library damaged in every way the icon reader must refuse: cut
// short at each structure's start, counts of 0xFFFF, offsets and sizes past
// the end or wrapping 32 bits, directories pointing at themselves or above,
// a group naming a missing icon, broken headers.
std::vector<DamagedLibrary> DamagedLibraries();

}  // namespace orbelune::test
