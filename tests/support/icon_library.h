// Icon libraries written byte by byte for the tests and benchmarks: a
// resource-only 32-bit DLL holding icon groups, with the offsets of its
// structures so that tests can damage it on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// A field of a generated file: its name, file offset and width in bytes.
struct Field {
    std::string name;
    std::size_t at = 0;
    int width = 4;
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
    std::size_t lastDataSize = 0;   // the size field of the data entry of the image that ends last
    // The start of every structure, ascending.
    std::vector<std::size_t> boundaries;
    // Fields worth damaging, by name.
    std::vector<Field> fields;
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

// Structure-aware generation: every legal form of icon image, library
// (PE32, PE32+, 16-bit NE) and icon file, and damaged forms of each.
namespace orbelune::test {

enum class ImageFormat {
    Info,       // a 40-byte bitmap header, RGBQUAD colour table
    Core,       // an old-style 12-byte header, RGBTRIPLE colour table of 2^bits
    BitFields,  // a 40-byte header with BI_BITFIELDS and 12 bytes of masks (16 or 32 bits)
    Png,        // a PNG image: 24 bits colour type 2, 32 bits colour type 6
};

struct ImageRecipe {
    int width = 32;
    int height = 32;
    int bits = 32;  // 1, 4, 8, 16, 24 or 32
    ImageFormat format = ImageFormat::Info;
    // The colour table's length, written as biClrUsed; 0 or -1 (which
    // writes 0) a table of 2^bits colours (none above 8 bits).
    int tableLength = -1;
    bool blackWhite = false;  // a 1-bit table of black then white
    bool topDown = false;     // a negative height
    bool mask = true;
    int planes = 1;
    int alpha = 1;  // 32 bits: 0 every alpha byte 0, 1 0 or 255, 2 all 255, 3 every value
    int seed = 0;
    // A 12-byte header: table bytes 14 and 15 that read as 32 bits a pixel
    // at a 40-byte header's bit count; colour and mask rows of zeros.
    bool bitCountInTable = false, zeroRows = false;
};

// The image as an icon resource or .ico file holds it.
Bytes ImageBytes(const ImageRecipe& recipe);
// Where the image's parts end, ascending: header (with the bit-field
// masks), colour table, colour rows, mask rows; for a PNG image its
// signature, IHDR, image data and IEND chunks. The last is its size.
std::vector<std::size_t> ImageBoundaries(const ImageRecipe& recipe);
// "32x32x8 info clr=20 topdown nomask" and the like.
std::string Describe(const ImageRecipe& recipe);
// A PNG file of width x height pixels, colour type 2 (RGB) or 6 (RGBA) at 8
// bits, its IDAT a zlib stream of stored deflate blocks; a headerHeight of 0
// or more is written into IHDR instead of the height of the rows it holds.
Bytes PngBytes(int width, int height, int colourType, int seed, std::int64_t headerHeight = -1);
// A PNG image of width x height pixels (colour type 6) in `bands` horizontal
// bands of one colour each, compressed as far as deflate goes (about 1,000
// to 1) with a single dynamic block: a picture that is large to decode in a
// file that stays small (8192 x 8192 in some 330 KB).
Bytes BandedPngBytes(int width, int height, int bands, int seed);

// One entry of a group or an .ico directory.
struct DirectoryEntry {
    std::uint8_t width = 32, height = 32, colours = 0;
    std::uint16_t planes = 1, bits = 32;
    std::uint32_t bytes = 0;
};
// The entry a resource compiler writes for an image of `bytes` bytes.
DirectoryEntry EntryFor(const ImageRecipe& recipe, std::size_t bytes);

struct IcoImage {
    DirectoryEntry entry;
    Bytes bytes;
};
// An .ico file: header, directory, then the images in order.
Bytes IcoFileOf(const std::vector<IcoImage>& images);

struct ResourceImage {
    std::uint16_t id = 0;
    Bytes bytes;
    std::size_t padBefore = 0;  // bytes of padding before it in the file
};
struct GroupEntry {
    DirectoryEntry entry;
    std::uint16_t id = 0;  // the image it names
};
struct ResourceGroup {
    std::wstring name;  // empty: the numeric id
    std::uint16_t id = 0;
    std::vector<GroupEntry> entries;
};
// A group's directory (GRPICONDIR) as a resource holds it.
Bytes GroupDirectory(const std::vector<GroupEntry>& entries);

struct LibrarySpec {
    std::vector<ResourceGroup> groups;  // in the directory's order
    std::vector<ResourceImage> images;  // in the directory's order
    bool plus = false;                  // PE32+
    // Language entries per resource; the first holds the resource, the
    // others other data (images with other pixels).
    int languages = 1;
    bool imagesInSecondSection = false;
    bool tight = false;  // the file ends with the last image, unpadded
};
// A resource-only DLL. IconLibrary is this with one language, one section.
Bytes LibraryOf(const LibrarySpec& spec, LibraryLayout* layout = nullptr);

struct NeSpec {
    std::vector<Bytes> groups;           // group directories, resources 0x8001, 0x8002, ...
    std::vector<ResourceImage> images;   // ids are ordinals: resource 0x8000 | id
    int shift = 4;                       // the alignment shift
    bool iconsFirst = false;             // the icon type before the group type
    bool otherTypeFirst = false;         // a string type with one resource before both
    bool library = false;                // a library rather than a program
    // Where the file ends, from the last image's end, when it is not padded
    // to a whole unit: a byte short, unpadded, a byte long...
    std::optional<std::int64_t> tail;
};
struct NeLayout {
    std::size_t neHeader = 0;
    std::size_t resourceTable = 0;  // the alignment shift WORD
    std::size_t groupType = 0;      // its NE_TYPEINFO
    std::size_t iconType = 0;
    std::size_t terminator = 0;     // the 0 type id
    std::size_t firstGroup = 0;     // data
    std::size_t firstImage = 0;
    std::size_t lastImageEnd = 0;   // the end of the last image's bytes
    std::vector<std::size_t> boundaries;
    std::vector<Field> fields;
};
// A 16-bit Windows program or library ("MZ", then an "NE" header at
// e_lfanew) holding the groups and images in its resource table.
Bytes NeProgramOf(const NeSpec& spec, NeLayout* layout = nullptr);

// A library of one numbered group per image: images and groups 1, 2, ...
LibrarySpec OneGroupPerImage(const std::vector<ImageRecipe>& images);
// A library of `groups` numbered groups naming the images 1, 2, ... in turn.
LibrarySpec GroupsOfImages(const std::vector<Bytes>& images, int groups);
// The same groups and images in a 16-bit library (named groups numbered).
NeSpec NeSpecOf(const LibrarySpec& library);

// Where the generator's choices come from.
class Choices {
public:
    virtual ~Choices() = default;
    virtual std::uint32_t Next() = 0;
    // 0 .. n-1 (n > 0).
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
    // True p times in 100; false for choices of 0 (the plainest file).
    bool Percent(int p) { return Below(100) >= 100 - p; }
    template <typename T, std::size_t N>
    T Pick(const T (&options)[N]) { return options[Below(static_cast<int>(N))]; }
};
// A deterministic stream from a seed.
class SeededChoices : public Choices {
public:
    explicit SeededChoices(std::uint64_t seed) : state_(seed) {}
    std::uint32_t Next() override;

private:
    std::uint64_t state_;
};
// Choices read from bytes (a fuzzer's input), four at a time; 0 once they
// run out.
class ByteChoices : public Choices {
public:
    ByteChoices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint32_t Next() override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct GeneratedFile {
    std::string label;      // what it holds and how it is damaged
    std::wstring extension; // L".dll", L".exe" or L".ico"
    Bytes bytes;
    std::uint64_t sparseSize = 0;  // the file's size, zeros after the bytes, when larger
};
// One file of the mix: a PE32, PE32+ or 16-bit library, an icon file or a
// DOS program, legal (every image variation, several languages, sections,
// unreferenced images, absent and duplicate IDs) or damaged (cut at a
// structure's start, fields set to 0, 0xFFFF, past the end, wrapping 32
// bits, bytes flipped), or at an edge of the platform's view of the file:
// a size, an end or an offset a byte short of, at, a byte past and a page
// past where it reaches (the last image's stated size, an unpadded 16-bit
// file's end, an icon file's entry, the headers' size, a new header's
// offset, an unchosen entry's huge size, a file just over 256 MiB or an
// image stated above 64 MiB in a sparse file), the file's last bytes now
// and then at a page's end.
GeneratedFile GenerateFile(Choices& choices);
// The index-th file of the mix for a seed: the same file every time.
GeneratedFile GeneratedFileAt(std::uint32_t seed, std::size_t index);
std::vector<GeneratedFile> GeneratedFiles(std::uint32_t seed, std::size_t count);

}  // namespace orbelune::test
