#include "support/icon_library.h"

#include <algorithm>
#include <string>

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

namespace {

void AddBigEndian(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void AddChunk(Bytes& png, const char* type, const Bytes& data) {
    AddBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    AddBigEndian(png, Crc32(png.data() + start, png.size() - start));
}

// The colour table's value at i, the same for every depth.
std::uint32_t TableColour(int i, int seed) { return static_cast<std::uint32_t>((i * 0x10305 + seed * 0x1F3D5B) & 0xFFFFFF); }

}  // namespace

Bytes PngBytes(int width, int height, int colourType, int seed, std::int64_t headerHeight) {
    const int channels = colourType == 6 ? 4 : 3;
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                raw.push_back(static_cast<std::uint8_t>(c == 3 ? ((x + y + seed) % 5 ? 255 : (x * 40 + y) % 256)
                                                               : x * 7 + y * 13 + c * 50 + seed * 31));
    }
    Bytes z = {0x78, 0x01};  // zlib: deflate, stored blocks
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        AddWord(z, static_cast<unsigned>(n));
        AddWord(z, static_cast<unsigned>(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        if (raw.empty()) break;
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    AddBigEndian(z, (b << 16) | a);
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    AddBigEndian(header, static_cast<std::uint32_t>(width));
    AddBigEndian(header, static_cast<std::uint32_t>(headerHeight >= 0 ? headerHeight : height));
    header.insert(header.end(), {8, static_cast<std::uint8_t>(colourType), 0, 0, 0});
    AddChunk(png, "IHDR", header);
    AddChunk(png, "IDAT", z);
    AddChunk(png, "IEND", {});
    return png;
}

namespace {

// Deflate's bits: values from their lowest bit, Huffman codes from their
// highest.
class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}
    void Put(std::uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) Bit((value >> i) & 1u);
    }
    void PutCode(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1u);
    }
    void Flush() {
        while (used_ != 0) Bit(0);
    }

private:
    void Bit(std::uint32_t bit) {
        byte_ |= static_cast<std::uint8_t>(bit << used_);
        if (++used_ == 8) {
            out_.push_back(byte_);
            byte_ = 0;
            used_ = 0;
        }
    }
    Bytes& out_;
    std::uint8_t byte_ = 0;
    int used_ = 0;
};

// The canonical codes of a set of code lengths.
std::vector<std::uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
    int count[16] = {};
    for (int l : lengths) ++count[l];
    count[0] = 0;
    std::uint32_t next[16] = {}, code = 0;
    for (int bits = 1; bits < 16; ++bits) next[bits] = code = (code + static_cast<std::uint32_t>(count[bits - 1])) << 1;
    std::vector<std::uint32_t> codes(lengths.size());
    for (std::size_t i = 0; i < lengths.size(); ++i)
        if (lengths[i]) codes[i] = next[lengths[i]]++;
    return codes;
}

}  // namespace

Bytes BandedPngBytes(int width, int height, int bands, int seed) {
    // Each row: filter 1 (each byte the one four before plus its own), the
    // band's colour, then zeros: a literal zero and matches at distance 1.
    // Symbol 285 (a match of 258) takes 1 bit, a zero 2, every other of the
    // 286 symbols 10 or 11: a complete code. Both distance codes take 1 bit.
    std::vector<int> lengths(288, 0);
    for (int s = 1; s < 285; ++s) lengths[static_cast<std::size_t>(s)] = s <= 228 ? 10 : 11;
    lengths[0] = 2;
    lengths[285] = 1;
    lengths[286] = lengths[287] = 1;  // the distance codes 0 and 1
    const std::vector<std::uint32_t> lit = CanonicalCodes({lengths.begin(), lengths.begin() + 286});
    // Code lengths 1, 2, 10 and 11 in 2 bits each, sent in deflate's order.
    static constexpr int kOrder[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
    std::vector<int> lengthLengths(19, 0);
    for (int used : {1, 2, 10, 11}) lengthLengths[static_cast<std::size_t>(used)] = 2;
    const std::vector<std::uint32_t> lengthCodes = CanonicalCodes(lengthLengths);

    Bytes z = {0x78, 0x01};
    BitWriter bits(z);
    bits.Put(1, 1);  // the last block
    bits.Put(2, 2);  // dynamic codes
    bits.Put(286 - 257, 5);
    bits.Put(2 - 1, 5);
    bits.Put(std::size(kOrder) - 4, 4);
    for (int s : kOrder) bits.Put(static_cast<std::uint32_t>(lengthLengths[static_cast<std::size_t>(s)]), 3);
    for (int l : lengths) bits.PutCode(lengthCodes[static_cast<std::size_t>(l)], 2);

    const auto literal = [&](std::uint8_t v) { bits.PutCode(lit[v], lengths[v]); };
    // Lengths 3 to 258: symbols 257 to 284 with their extra bits, 285 for 258.
    static constexpr int kBase[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr int kExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    const auto match = [&](int length) {
        int k = 28;
        while (kBase[k] > length) --k;
        const auto symbol = static_cast<std::size_t>(257 + k);
        bits.PutCode(lit[symbol], lengths[symbol]);
        bits.Put(static_cast<std::uint32_t>(length - kBase[k]), kExtra[k]);
        bits.PutCode(0, 1);  // distance 1
    };
    std::uint32_t a = 1, b = 0;  // Adler-32 of the rows
    const auto add = [&](std::uint8_t v, std::uint64_t times) {
        for (; times > 0 && v != 0; --times) {
            a = (a + v) % 65521;
            b = (b + a) % 65521;
        }
        b = static_cast<std::uint32_t>((b + times % 65521 * a) % 65521);  // zeros leave a as it is
    };
    const int rowBytes = width * 4;
    for (int y = 0; y < height; ++y) {
        const int band = y * bands / height;
        const std::uint8_t row[5] = {1, static_cast<std::uint8_t>(40 + band * 50 + seed * 7),
                                     static_cast<std::uint8_t>(200 - band * 30 + seed),
                                     static_cast<std::uint8_t>(band * 90 + 20), band % 3 ? std::uint8_t{255} : std::uint8_t{160}};
        for (std::uint8_t v : row) {
            literal(v);
            add(v, 1);
        }
        int zeros = rowBytes - 4;
        add(0, static_cast<std::uint64_t>(zeros));
        if (zeros > 0) literal(0), --zeros;
        for (; zeros >= 3; zeros -= std::min(zeros, 258)) match(std::min(zeros, 258));
        for (; zeros > 0; --zeros) literal(0);
    }
    bits.PutCode(lit[256], lengths[256]);
    bits.Flush();
    AddBigEndian(z, (b << 16) | a);

    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    AddBigEndian(header, static_cast<std::uint32_t>(width));
    AddBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});
    AddChunk(png, "IHDR", header);
    AddChunk(png, "IDAT", z);
    AddChunk(png, "IEND", {});
    return png;
}

namespace {

// The colour table's length in entries.
int TableLength(const ImageRecipe& r) {
    const int full = r.bits <= 8 ? 1 << r.bits : 0;
    return r.format == ImageFormat::Core || r.tableLength <= 0 ? full : r.tableLength;  // 0: all 2^bits
}

}  // namespace

std::vector<std::size_t> ImageBoundaries(const ImageRecipe& r) {
    if (r.format == ImageFormat::Png) {
        const std::size_t size = ImageBytes(r).size();
        return {8, 33, size - 12, size};  // signature, IHDR, image data, IEND
    }
    const bool core = r.format == ImageFormat::Core;
    const std::size_t header = core ? 12 : r.format == ImageFormat::BitFields ? 52 : 40;
    const std::size_t table = header + static_cast<std::size_t>(TableLength(r)) * (core ? 3 : 4);
    const std::size_t colour = table + Row(r.width, r.bits) * static_cast<std::size_t>(r.height);
    return {header, table, colour, colour + (r.mask ? Row(r.width, 1) * static_cast<std::size_t>(r.height) : 0)};
}

Bytes ImageBytes(const ImageRecipe& r) {
    if (r.format == ImageFormat::Png) return PngBytes(r.width, r.height, r.bits == 24 ? 2 : 6, r.seed);
    const int w = r.width, h = r.height;
    const std::size_t row = Row(w, r.bits), maskRow = Row(w, 1);
    const bool core = r.format == ImageFormat::Core, fields = r.format == ImageFormat::BitFields;
    const int table = TableLength(r);
    Bytes b;
    if (core) {
        AddDword(b, 12);
        AddWord(b, static_cast<unsigned>(w));
        AddWord(b, static_cast<unsigned>(2 * h));
        AddWord(b, static_cast<unsigned>(r.planes));
        AddWord(b, static_cast<unsigned>(r.bits));
    } else {
        AddDword(b, 40);
        AddDword(b, static_cast<std::uint32_t>(w));
        AddDword(b, static_cast<std::uint32_t>(r.topDown ? -2 * h : 2 * h));
        AddWord(b, static_cast<unsigned>(r.planes));
        AddWord(b, static_cast<unsigned>(r.bits));
        AddDword(b, fields ? 3 : 0);
        AddDword(b, static_cast<std::uint32_t>((row + maskRow) * static_cast<std::size_t>(h)));
        AddDword(b, 0);
        AddDword(b, 0);
        AddDword(b, static_cast<std::uint32_t>(r.tableLength > 0 ? r.tableLength : 0));
        AddDword(b, 0);
        if (fields) {
            const std::uint32_t masks16[] = {0xF800, 0x07E0, 0x001F}, masks32[] = {0xFF0000, 0xFF00, 0xFF};
            for (std::uint32_t m : r.bits == 16 ? masks16 : masks32) AddDword(b, m);
        }
    }
    for (int i = 0; i < table; ++i) {
        const std::uint32_t colour = r.blackWhite && i < 2 ? (i ? 0xFFFFFF : 0) : TableColour(i, r.seed);
        if (core) {
            for (int k = 0; k < 3; ++k) b.push_back(static_cast<std::uint8_t>(colour >> (8 * k)));
        } else {
            AddDword(b, colour);
        }
    }
    for (int y = 0; y < h; ++y)
        for (std::size_t x = 0; x < row; ++x) {
            const auto ux = static_cast<std::size_t>(y);
            std::size_t value = x * 7 + ux * 13 + static_cast<std::size_t>(r.seed * 31);
            if (r.bits == 32 && x % 4 == 3) {
                const std::size_t modes[] = {0, (x / 4 + ux) % 3 ? 255u : 0u, 255, x * 5 + ux * 11 + static_cast<std::size_t>(r.seed)};
                value = modes[r.alpha & 3];
            }
            b.push_back(static_cast<std::uint8_t>(r.zeroRows ? 0 : value));
        }
    if (r.mask)
        for (int y = 0; y < h; ++y)
            for (std::size_t x = 0; x < maskRow; ++x) b.push_back(static_cast<std::uint8_t>((y + r.seed) % 4 == 0 && !r.zeroRows ? 0xF0 : 0x00));
    if (r.bitCountInTable && b.size() >= 16) b[14] = 32, b[15] = 0;
    return b;
}

std::string Describe(const ImageRecipe& r) {
    const char* formats[] = {"info", "core", "fields", "png"};
    std::string s = std::to_string(r.width) + "x" + std::to_string(r.height) + "x" + std::to_string(r.bits) + " " +
                    formats[static_cast<int>(r.format)];
    if (r.format == ImageFormat::Png) return s;
    if (r.tableLength >= 0) s += " clr=" + std::to_string(r.tableLength);
    if (r.blackWhite) s += " bw";
    if (r.topDown) s += " topdown";
    if (!r.mask) s += " nomask";
    if (r.planes != 1) s += " planes=" + std::to_string(r.planes);
    if (r.bits == 32) s += " alpha" + std::to_string(r.alpha);
    if (r.bitCountInTable) s += " bitcount32";
    if (r.zeroRows) s += " zero";
    return s;
}

DirectoryEntry EntryFor(const ImageRecipe& r, std::size_t bytes) {
    DirectoryEntry e;
    e.width = static_cast<std::uint8_t>(r.width % 256);
    e.height = static_cast<std::uint8_t>(r.height % 256);
    e.colours = static_cast<std::uint8_t>(r.bits < 8 ? 1 << r.bits : 0);
    e.bits = static_cast<std::uint16_t>(r.format == ImageFormat::Png && r.bits != 24 ? 32 : r.bits);
    e.bytes = static_cast<std::uint32_t>(bytes);
    return e;
}

namespace {

void AddEntry(Bytes& b, const DirectoryEntry& e) {
    b.insert(b.end(), {e.width, e.height, e.colours, 0});
    AddWord(b, e.planes);
    AddWord(b, e.bits);
    AddDword(b, e.bytes);
}

}  // namespace

Bytes IcoFileOf(const std::vector<IcoImage>& images) {
    Bytes b;
    AddWord(b, 0);
    AddWord(b, 1);
    AddWord(b, static_cast<unsigned>(images.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const IcoImage& image : images) {
        AddEntry(b, image.entry);
        AddDword(b, offset);
        offset += static_cast<std::uint32_t>(image.bytes.size());
    }
    for (const IcoImage& image : images) b.insert(b.end(), image.bytes.begin(), image.bytes.end());
    return b;
}

Bytes GroupDirectory(const std::vector<GroupEntry>& entries) {
    Bytes b;
    AddWord(b, 0);
    AddWord(b, 1);
    AddWord(b, static_cast<unsigned>(entries.size()));
    for (const GroupEntry& e : entries) {
        AddEntry(b, e.entry);
        AddWord(b, e.id);
    }
    return b;
}

Bytes LibraryOf(const LibrarySpec& spec, LibraryLayout* layoutOut) {
    LibraryLayout layout;
    const std::size_t nGroups = spec.groups.size(), nImages = spec.images.size();
    const std::size_t nLanguages = static_cast<std::size_t>(std::max(1, spec.languages));
    const bool second = spec.imagesInSecondSection;
    std::size_t named = 0;
    for (const ResourceGroup& g : spec.groups)
        if (!g.name.empty()) ++named;

    // The resource section, laid out first: directories, data entries,
    // names, groups, then the images (in a second section of their own, or
    // after the groups) and the images of the other languages.
    const std::size_t root = 0, iconType = 16 + 2 * 8, groupType = iconType + 16 + nImages * 8;
    const std::size_t languageSize = 16 + 8 * nLanguages;
    const std::size_t languages = groupType + 16 + nGroups * 8;  // one per image, then one per group
    const std::size_t dataEntries = languages + (nImages + nGroups) * languageSize;
    const std::size_t names = dataEntries + (nImages + nGroups) * nLanguages * 16;
    std::vector<std::size_t> nameAt;
    std::size_t cursor = names;
    for (const ResourceGroup& g : spec.groups)
        if (!g.name.empty()) {
            nameAt.push_back(cursor);
            cursor += 2 + 2 * g.name.size();
        }
    cursor = Align(cursor, 8);
    std::vector<std::size_t> groupAt;
    std::vector<Bytes> groupBytes;
    for (const ResourceGroup& g : spec.groups) {
        groupAt.push_back(cursor);
        groupBytes.push_back(GroupDirectory(g.entries));
        cursor = Align(cursor + groupBytes.back().size(), 8);
    }
    std::size_t images = second ? 0 : cursor, end = images;
    std::vector<Bytes> blobs;  // every image, then the other languages' images
    std::vector<std::size_t> blobAt;
    for (std::size_t l = 0; l < nLanguages; ++l)
        for (const ResourceImage& image : spec.images) {
            Bytes bytes = image.bytes;
            for (std::size_t i = 40; i < bytes.size() && l > 0; ++i) bytes[i] = static_cast<std::uint8_t>(bytes[i] ^ (0x5A * l));
            images += l ? 0 : image.padBefore;
            blobAt.push_back(images);
            end = images + bytes.size();
            images = Align(end, 8);
            blobs.push_back(std::move(bytes));
        }
    if (!second) cursor = images;
    const std::size_t lastEnd = spec.tight ? end : images;
    const std::size_t firstRaw = second || !spec.tight ? Align(cursor, 0x200) : lastEnd;
    const std::size_t secondRaw = !second ? 0 : spec.tight ? lastEnd : Align(lastEnd, 0x200);
    const std::uint32_t secondAddress = static_cast<std::uint32_t>(kSectionAddress + Align(firstRaw, 0x1000));
    Bytes r(firstRaw, 0), r2(secondRaw, 0);
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
    // The language directory of resource k, whose entries point at the data
    // at these addresses.
    auto leaf = [&](std::size_t k, const std::vector<std::uint32_t>& address, const std::vector<std::size_t>& size) {
        const std::size_t lang = languages + k * languageSize;
        directory(lang, 0, nLanguages);
        for (std::size_t l = 0; l < nLanguages; ++l) {
            const std::size_t data = dataEntries + (k * nLanguages + l) * 16;
            entry(lang, l, static_cast<std::uint32_t>(0x409 + 8 * l), static_cast<std::uint32_t>(data));
            PutDword(r, data, address[l]);
            PutDword(r, data + 4, static_cast<std::uint32_t>(size[l]));
        }
        return static_cast<std::uint32_t>(lang) | 0x80000000u;
    };
    const std::uint32_t imageAddress = second ? secondAddress : kSectionAddress;
    for (std::size_t i = 0; i < nImages; ++i) {
        std::vector<std::uint32_t> address;
        std::vector<std::size_t> size;
        for (std::size_t l = 0; l < nLanguages; ++l) {
            const std::size_t blob = l * nImages + i;
            address.push_back(static_cast<std::uint32_t>(imageAddress + blobAt[blob]));
            size.push_back(blobs[blob].size());
            Bytes& section = second ? r2 : r;
            std::copy(blobs[blob].begin(), blobs[blob].end(), section.begin() + static_cast<std::ptrdiff_t>(blobAt[blob]));
        }
        entry(iconType, i, spec.images[i].id, leaf(i, address, size));
    }
    std::size_t namedSeen = 0;
    for (std::size_t g = 0; g < nGroups; ++g) {
        const ResourceGroup& group = spec.groups[g];
        std::copy(groupBytes[g].begin(), groupBytes[g].end(), r.begin() + static_cast<std::ptrdiff_t>(groupAt[g]));
        std::uint32_t name = group.id;
        if (!group.name.empty()) {
            const std::size_t n = nameAt[namedSeen++];
            PutWord(r, n, static_cast<std::uint16_t>(group.name.size()));
            for (std::size_t c = 0; c < group.name.size(); ++c) PutWord(r, n + 2 + 2 * c, static_cast<std::uint16_t>(group.name[c]));
            name = static_cast<std::uint32_t>(n) | 0x80000000u;
        }
        const std::vector<std::uint32_t> address(nLanguages, static_cast<std::uint32_t>(kSectionAddress + groupAt[g]));
        entry(groupType, g, name, leaf(nImages + g, address, std::vector<std::size_t>(nLanguages, groupBytes[g].size())));
    }

    // Headers: DOS header, "PE\0\0", file header, optional header, sections.
    Bytes b(kHeadersSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    layout.peHeader = 0x40;
    PutDword(b, 0x3C, 0x40);
    b[0x40] = 'P';
    b[0x41] = 'E';
    const bool plus = spec.plus;
    const std::size_t file = 0x44;
    const std::size_t optionalSize = plus ? 240 : 224, directories = plus ? 112 : 96;
    PutWord(b, file, plus ? 0x8664 : 0x14C);
    PutWord(b, file + 2, second ? 2 : 1);
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
    PutDword(b, opt + 56, second ? static_cast<std::uint32_t>(secondAddress + Align(secondRaw, 0x1000))
                                 : static_cast<std::uint32_t>(kSectionAddress + Align(firstRaw, 0x1000)));  // image size
    PutDword(b, opt + 60, static_cast<std::uint32_t>(kHeadersSize));
    PutWord(b, opt + 68, 2);  // GUI subsystem
    PutDword(b, opt + directories - 4, 16);
    PutDword(b, opt + directories + 16, kSectionAddress);
    PutDword(b, opt + directories + 20, static_cast<std::uint32_t>(cursor));
    const std::size_t section = opt + optionalSize;
    layout.sectionTable = section;
    auto sectionHeader = [&](std::size_t at, const char* name, std::size_t size, std::uint32_t address, std::size_t raw,
                             std::size_t offset) {
        std::copy(name, name + 8, b.begin() + static_cast<std::ptrdiff_t>(at));
        PutDword(b, at + 8, static_cast<std::uint32_t>(size));
        PutDword(b, at + 12, address);
        PutDword(b, at + 16, static_cast<std::uint32_t>(raw));
        PutDword(b, at + 20, static_cast<std::uint32_t>(offset));
        PutDword(b, at + 36, 0x40000040);
    };
    sectionHeader(section, ".rsrc\0\0", cursor, kSectionAddress, firstRaw, kHeadersSize);
    if (second) sectionHeader(section + 40, ".icons\0", lastEnd, secondAddress, secondRaw, kHeadersSize + firstRaw);
    b.insert(b.end(), r.begin(), r.end());
    b.insert(b.end(), r2.begin(), r2.end());

    const std::size_t base = kHeadersSize, imageBase = second ? kHeadersSize + firstRaw : base;
    layout.resourceRoot = base;
    layout.iconType = base + iconType;
    layout.groupType = base + groupType;
    layout.firstGroupLanguages = base + languages + nImages * languageSize;
    layout.firstGroupDataEntry = base + dataEntries + nImages * nLanguages * 16;
    layout.firstGroup = nGroups ? base + groupAt[0] : 0;
    layout.firstImage = nImages ? imageBase + blobAt[0] : 0;
    layout.sectionEnd = b.size();
    if (nImages) layout.lastDataSize = base + dataEntries + ((nImages - 1) * nLanguages + nLanguages - 1) * 16 + 4;
    layout.boundaries = {0, 0x3C, layout.peHeader, file, opt, section, base, base + iconType, base + groupType};
    if (second) layout.boundaries.push_back(section + 40);
    for (std::size_t k = 0; k < nImages + nGroups; ++k) {
        layout.boundaries.push_back(base + languages + k * languageSize);
        for (std::size_t l = 0; l < nLanguages; ++l) layout.boundaries.push_back(base + dataEntries + (k * nLanguages + l) * 16);
    }
    for (std::size_t n : nameAt) layout.boundaries.push_back(base + n);
    for (std::size_t g : groupAt) layout.boundaries.push_back(base + g);
    for (std::size_t i : blobAt) layout.boundaries.push_back(imageBase + i);
    std::sort(layout.boundaries.begin(), layout.boundaries.end());
    auto field = [&](std::string name, std::size_t at, int width) { layout.fields.push_back({std::move(name), at, width}); };
    field("new header offset", 0x3C, 4);
    field("section count", file + 2, 2);
    field("optional header size", file + 16, 2);
    field("optional header magic", opt, 2);
    field("resource address", opt + directories + 16, 4);
    field("resource size", opt + directories + 20, 4);
    for (std::size_t s = 0; s < (second ? 2u : 1u); ++s) {
        const std::string which = s ? "second section " : "section ";
        field(which + "size", section + 40 * s + 8, 4);
        field(which + "address", section + 40 * s + 12, 4);
        field(which + "raw size", section + 40 * s + 16, 4);
        field(which + "file offset", section + 40 * s + 20, 4);
    }
    field("root named count", base + 12, 2);
    field("root ID count", base + 14, 2);
    field("icon directory offset", base + 16 + 4, 4);
    field("group directory offset", base + 24 + 4, 4);
    field("icon directory ID count", layout.iconType + 14, 2);
    field("group directory named count", layout.groupType + 12, 2);
    field("group directory ID count", layout.groupType + 14, 2);
    if (nImages) {
        field("first icon ID", layout.iconType + 16, 4);
        field("first icon languages offset", layout.iconType + 20, 4);
        field("first icon language count", base + languages + 14, 2);
        field("first icon data address", base + dataEntries, 4);
        field("first icon data size", base + dataEntries + 4, 4);
        field("first image header size", layout.firstImage, 4);
        field("first image width", layout.firstImage + 4, 4);
        field("first image height", layout.firstImage + 8, 4);
        field("first image planes", layout.firstImage + 12, 2);
        field("first image bit count", layout.firstImage + 14, 2);
        field("first image compression", layout.firstImage + 16, 4);
        field("first image colours used", layout.firstImage + 32, 4);
    }
    if (nGroups) {
        field("first group name", layout.groupType + 16, 4);
        field("first group languages offset", layout.groupType + 20, 4);
        field("first group language count", layout.firstGroupLanguages + 14, 2);
        field("first group first language", layout.firstGroupLanguages + 16, 4);
        field("first group data entry offset", layout.firstGroupLanguages + 20, 4);
        field("first group data address", layout.firstGroupDataEntry, 4);
        field("first group data size", layout.firstGroupDataEntry + 4, 4);
        field("first group type", layout.firstGroup + 2, 2);
        field("first group image count", layout.firstGroup + 4, 2);
        if (!spec.groups[0].entries.empty()) field("first group entry's icon ID", layout.firstGroup + 6 + 12, 2);
        if (!spec.groups[0].entries.empty()) field("first group entry's bit count", layout.firstGroup + 6 + 6, 2);
    }
    if (nLanguages > 1 && nImages) field("first icon second language data size", base + dataEntries + 16 + 4, 4);
    if (layoutOut) *layoutOut = std::move(layout);
    return b;
}

Bytes NeProgramOf(const NeSpec& spec, NeLayout* layoutOut) {
    NeLayout layout;
    const std::size_t ne = 0x40, table = ne + 0x40;
    const std::size_t nGroups = spec.groups.size(), nImages = spec.images.size();
    const std::size_t unit = std::size_t{1} << spec.shift;
    // The resource table: shift, types (each NE_TYPEINFO and its
    // NE_NAMEINFOs), the 0 type id; then the resident names, the module
    // reference and imported names tables, the entry table.
    const std::size_t other = spec.otherTypeFirst ? 8 + 12 : 0;
    const std::size_t groupType = table + 2 + other + (spec.iconsFirst ? 8 + 12 * nImages : 0);
    const std::size_t iconType = table + 2 + other + (spec.iconsFirst ? 0 : 8 + 12 * nGroups);
    const std::size_t terminator = table + 2 + other + 16 + 12 * (nGroups + nImages);
    const std::size_t names = terminator + 2, imports = names + 9, entries = imports, nonResident = entries + 2;
    std::size_t cursor = Align(nonResident + 2, unit);
    Bytes b(cursor, 0);
    b[0] = 'M';
    b[1] = 'Z';
    PutDword(b, 0x3C, static_cast<std::uint32_t>(ne));
    b[ne] = 'N';
    b[ne + 1] = 'E';
    b[ne + 2] = 5;
    b[ne + 3] = 10;
    auto relative = [&](std::size_t at, std::size_t to) { PutWord(b, ne + at, static_cast<std::uint16_t>(to - ne)); };
    relative(0x04, entries);
    PutWord(b, ne + 0x06, 2);
    PutWord(b, ne + 0x0C, spec.library ? 0x8001 : 0x0002);
    relative(0x22, table);  // no segments
    relative(0x24, table);
    relative(0x26, names);
    relative(0x28, imports);
    relative(0x2A, imports);
    PutDword(b, ne + 0x2C, static_cast<std::uint32_t>(nonResident));
    PutWord(b, ne + 0x32, static_cast<std::uint16_t>(spec.shift));
    b[ne + 0x36] = 2;  // Windows
    PutWord(b, ne + 0x3E, 0x030A);
    PutWord(b, table, static_cast<std::uint16_t>(spec.shift));
    const char module[] = "\5ICONS";
    std::copy(module, module + 6, b.begin() + static_cast<std::ptrdiff_t>(names));

    // The data, each resource at a multiple of the unit.
    auto place = [&](const Bytes& data, std::size_t nameInfo, std::uint16_t id, std::uint16_t flags, std::size_t pad) {
        cursor = Align(cursor + pad, unit);
        const std::size_t at = cursor;
        b.resize(Align(at + data.size(), unit), 0);
        std::copy(data.begin(), data.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        PutWord(b, nameInfo, static_cast<std::uint16_t>(at >> spec.shift));
        PutWord(b, nameInfo + 2, static_cast<std::uint16_t>(Align(data.size(), unit) >> spec.shift));
        PutWord(b, nameInfo + 4, flags);
        PutWord(b, nameInfo + 6, id);
        cursor = b.size();
        layout.boundaries.push_back(nameInfo);
        layout.boundaries.push_back(at);
        return at;
    };
    if (spec.otherTypeFirst) {
        PutWord(b, table + 2, 0x8006);  // strings
        PutWord(b, table + 4, 1);
        place({4, 'N', 'a', 'm', 'e'}, table + 10, 0x8001, 0x1030, 0);
    }
    PutWord(b, groupType, 0x800E);
    PutWord(b, groupType + 2, static_cast<std::uint16_t>(nGroups));
    PutWord(b, iconType, 0x8003);
    PutWord(b, iconType + 2, static_cast<std::uint16_t>(nImages));
    for (std::size_t g = 0; g < nGroups; ++g) {
        const std::size_t at = place(spec.groups[g], groupType + 8 + 12 * g, static_cast<std::uint16_t>(0x8001 + g), 0x1C30, 0);
        if (g == 0) layout.firstGroup = at;
    }
    for (std::size_t i = 0; i < nImages; ++i) {
        const ResourceImage& image = spec.images[i];
        const std::size_t at = place(image.bytes, iconType + 8 + 12 * i, static_cast<std::uint16_t>(0x8000 | image.id), 0x1C10,
                                     image.padBefore);
        if (i == 0) layout.firstImage = at;
        layout.lastImageEnd = at + image.bytes.size();
    }
    if (spec.tail && nImages) b.resize(static_cast<std::size_t>(static_cast<std::int64_t>(layout.lastImageEnd) + *spec.tail), 0);

    layout.neHeader = ne;
    layout.resourceTable = table;
    layout.groupType = groupType;
    layout.iconType = iconType;
    layout.terminator = terminator;
    layout.boundaries.insert(layout.boundaries.end(), {0, 0x3C, ne, table, groupType, iconType, terminator, names});
    std::sort(layout.boundaries.begin(), layout.boundaries.end());
    auto field = [&](std::string name, std::size_t at, int width) { layout.fields.push_back({std::move(name), at, width}); };
    field("new header offset", 0x3C, 4);
    field("resource table offset", ne + 0x24, 2);
    field("resident names offset", ne + 0x26, 2);
    field("alignment shift", table, 2);
    field("group type count", groupType + 2, 2);
    field("icon type count", iconType + 2, 2);
    field("type terminator", terminator, 2);
    if (nGroups) {
        field("first group offset", groupType + 8, 2);
        field("first group length", groupType + 10, 2);
        field("first group image count", layout.firstGroup + 4, 2);
        field("first group entry's icon ID", layout.firstGroup + 6 + 12, 2);
    }
    if (nImages) {
        field("first icon offset", iconType + 8, 2);
        field("first icon length", iconType + 10, 2);
        field("first icon ID", iconType + 14, 2);
        field("first image header size", layout.firstImage, 4);
        field("first image width", layout.firstImage + 4, 4);
        field("first image bit count", layout.firstImage + 14, 2);
    }
    if (layoutOut) *layoutOut = std::move(layout);
    return b;
}

LibrarySpec OneGroupPerImage(const std::vector<ImageRecipe>& images) {
    LibrarySpec spec;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto id = static_cast<std::uint16_t>(i + 1);
        spec.images.push_back({id, ImageBytes(images[i]), 0});
        spec.groups.push_back({L"", id, {{EntryFor(images[i], spec.images.back().bytes.size()), id}}});
    }
    return spec;
}

LibrarySpec GroupsOfImages(const std::vector<Bytes>& images, int groups) {
    LibrarySpec spec;
    for (std::size_t i = 0; i < images.size(); ++i) spec.images.push_back({static_cast<std::uint16_t>(i + 1), images[i], 0});
    for (int g = 1; g <= groups; ++g) {
        const auto image = static_cast<std::uint16_t>((g - 1) % images.size() + 1);
        DirectoryEntry entry;  // 0 x 0: 256 pixels or more
        entry.width = entry.height = 0;
        entry.bytes = static_cast<std::uint32_t>(images[image - 1].size());
        spec.groups.push_back({L"", static_cast<std::uint16_t>(g), {{entry, image}}});
    }
    return spec;
}

NeSpec NeSpecOf(const LibrarySpec& library) {
    NeSpec spec;
    for (const ResourceGroup& g : library.groups) spec.groups.push_back(GroupDirectory(g.entries));
    spec.images = library.images;
    return spec;
}

Bytes IconImageResource(ImageSpec spec, int seed) {
    ImageRecipe recipe;
    recipe.width = recipe.height = spec.size;
    recipe.bits = spec.bits;
    recipe.seed = seed;
    return ImageBytes(recipe);
}

Bytes IcoFile(const std::vector<ImageSpec>& images, int seed) {
    std::vector<IcoImage> ico;
    for (std::size_t i = 0; i < images.size(); ++i) {
        Bytes bytes = IconImageResource(images[i], seed + static_cast<int>(i));
        ico.push_back({EntryFor({images[i].size, images[i].size, images[i].bits}, bytes.size()), std::move(bytes)});
    }
    return IcoFileOf(ico);
}

Bytes IconLibrary(const std::vector<GroupSpec>& groups, LibraryLayout* layout, bool plus) {
    LibrarySpec spec;
    spec.plus = plus;
    std::uint16_t id = 0, numeric = 0;
    for (const GroupSpec& g : groups) {
        ResourceGroup group{g.name, static_cast<std::uint16_t>(g.name.empty() ? ++numeric : 0), {}};
        for (const ImageSpec& s : g.images) {
            ++id;
            Bytes bytes = IconImageResource(s, (id - 1) * 5 + 1);
            group.entries.push_back({EntryFor({s.size, s.size, s.bits}, bytes.size()), id});
            spec.images.push_back({id, std::move(bytes)});
        }
        spec.groups.push_back(std::move(group));
    }
    return LibraryOf(spec, layout);
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

namespace orbelune::test {

std::uint32_t SeededChoices::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);  // splitmix64
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 16);
}

std::uint32_t ByteChoices::Next() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | (at_ < size_ ? data_[at_++] : 0);
    return v;
}

namespace {

ImageRecipe RandomImage(Choices& c) {
    ImageRecipe r;
    const int sizes[] = {16, 24, 32, 32, 32, 48};
    r.width = r.height = c.Percent(1) ? 256 : c.Pick(sizes);
    r.seed = c.Below(1000);
    r.alpha = c.Below(4);
    const int kind = c.Below(100);
    if (kind < 10) {
        r.format = ImageFormat::Png;
        r.bits = c.Percent(50) ? 24 : 32;
        return r;
    }
    if (kind < 18) {
        r.format = ImageFormat::Core;
        const int bits[] = {1, 4, 8, 16, 24, 32};
        r.bits = c.Pick(bits);
        r.bitCountInTable = r.bits <= 8 && c.Percent(30);
        r.zeroRows = c.Percent(25);
    } else if (kind < 25) {
        r.format = ImageFormat::BitFields;
        r.bits = c.Percent(50) ? 16 : 32;
    } else {
        const int bits[] = {1, 4, 8, 8, 16, 24, 32, 32};
        r.bits = c.Pick(bits);
        r.topDown = c.Percent(8);
    }
    if (r.format != ImageFormat::Core && c.Percent(35)) {
        const int full = r.bits <= 8 ? 1 << r.bits : 0;
        const int lengths[] = {0, 1 + c.Below(full ? full : 20), full + 1 + c.Below(8), 256, 300};
        r.tableLength = c.Pick(lengths);
    }
    r.blackWhite = r.bits == 1 && c.Percent(60);
    r.mask = !c.Percent(10);
    if (c.Percent(5)) r.planes = c.Percent(50) ? 0 : 2;
    return r;
}

// Forms of an image that the platform makes no icon of, or reads with care.
Bytes DamagedImage(Choices& c, const ImageRecipe& recipe, std::string& label) {
    Bytes b = ImageBytes(recipe);
    const bool png = recipe.format == ImageFormat::Png;
    switch (c.Below(png ? 4 : 9)) {
    case 0:
        label = "4-byte image announcing a 12-byte header";
        return {12, 0, 0, 0};
    case 1:
        label = "image cut in half";
        b.resize(b.size() / 2);
        return b;
    case 2:
        label = "image of its header only";
        b.resize(png ? 33 : recipe.format == ImageFormat::Core ? 12 : 40);
        return b;
    case 3:
        if (png) {
            const std::int64_t heights[] = {0, 0x7FFFFFFF, 100000, 1};
            const std::int64_t height = c.Pick(heights);
            label = "PNG with IHDR height " + std::to_string(height);
            return PngBytes(recipe.width, recipe.height, recipe.bits == 24 ? 2 : 6, recipe.seed, height);
        } else {
            const std::uint32_t sizes[] = {108, 124};
            const std::uint32_t header = c.Pick(sizes);
            label = "header size " + std::to_string(header);
            PutDword(b, 0, header);
            return b;
        }
    case 4: {
        const std::uint32_t widths[] = {0, 0x7FFFFFFF, 0xFFFFFFE0, 4096, 33};
        const std::uint32_t width = c.Pick(widths);
        label = "image width " + std::to_string(width);
        if (recipe.format == ImageFormat::Core)
            PutWord(b, 4, static_cast<std::uint16_t>(width));
        else
            PutDword(b, 4, width);
        return b;
    }
    case 5: {
        const std::uint16_t options[] = {0, 3, 64, 2};
        const std::uint16_t bits = c.Pick(options);
        label = "bit count " + std::to_string(bits);
        PutWord(b, recipe.format == ImageFormat::Core ? 10 : 14, bits);
        return b;
    }
    case 6: {
        if (recipe.format == ImageFormat::Core) break;
        const std::uint32_t compression = static_cast<std::uint32_t>(1 + c.Below(5));
        label = "compression " + std::to_string(compression);
        PutDword(b, 16, compression);
        return b;
    }
    case 7:
        if (recipe.format == ImageFormat::Core) break;
        label = "colours used 0xFFFFFFFF";
        PutDword(b, 32, 0xFFFFFFFF);
        return b;
    default:
        break;
    }
    label = "header size 0xFFFFFFF0";
    PutDword(b, 0, 0xFFFFFFF0);
    return b;
}

struct Contents {
    std::vector<ResourceGroup> groups;
    std::vector<ResourceImage> images;
    std::string label;
    bool damagedLast = false;  // the last image is the damaged one
};

// Groups and images of a library: named and numbered groups, images shared
// by groups, unreferenced images, a group entry naming an absent image,
// duplicate image IDs, entries that disagree with their image, one damaged
// image now and then.
Contents RandomContents(Choices& c, bool named) {
    Contents k;
    const int nGroups = 1 + c.Below(c.Percent(10) ? 40 : 6);
    std::vector<ImageRecipe> recipes;
    std::uint16_t nextId = static_cast<std::uint16_t>(1 + (c.Percent(20) ? c.Below(5000) : 0));
    const wchar_t* names[] = {L"APP", L"BOOK", L"CLOCK", L"DISK", L"MAIN", L"NOTE", L"ZEBRA"};
    int nextName = 0, numeric = 0;
    const bool damageOne = c.Percent(15);
    for (int g = 0; g < nGroups; ++g) {
        ResourceGroup group;
        if (named && nextName < 7 && c.Percent(30)) {
            nextName += 1 + c.Below(2);
            group.name = names[std::min(nextName, 7) - 1];
            if (!k.groups.empty() && k.groups.back().name == group.name) group.name.clear();
        }
        if (group.name.empty()) group.id = static_cast<std::uint16_t>(numeric += 1 + (c.Percent(20) ? c.Below(100) : 0));
        const int nEntries = 1 + c.Below(4);
        for (int e = 0; e < nEntries; ++e) {
            if (!k.images.empty() && c.Percent(15)) {  // an image another entry names too
                const ResourceImage& shared = k.images[static_cast<std::size_t>(c.Below(static_cast<int>(k.images.size())))];
                group.entries.push_back({EntryFor(recipes[static_cast<std::size_t>(&shared - k.images.data())], shared.bytes.size()), shared.id});
                continue;
            }
            ImageRecipe recipe = RandomImage(c);
            ResourceImage image{nextId++, ImageBytes(recipe), 0};
            GroupEntry entry{EntryFor(recipe, image.bytes.size()), image.id};
            if (c.Percent(4)) entry.entry.bits = static_cast<std::uint16_t>(c.Percent(50) ? 1 : 32);  // disagrees with the image
            group.entries.push_back(entry);
            k.label += (k.label.empty() ? "" : ", ") + Describe(recipe);
            recipes.push_back(recipe);
            k.images.push_back(std::move(image));
        }
        k.groups.push_back(std::move(group));
    }
    // Named groups first, sorted; then the numbers ascending.
    std::stable_sort(k.groups.begin(), k.groups.end(), [](const ResourceGroup& a, const ResourceGroup& b) {
        return !a.name.empty() && b.name.empty();
    });
    if (c.Percent(12)) {
        ImageRecipe recipe = RandomImage(c);
        if (c.Percent(50)) recipe.planes = 0;
        k.images.push_back({nextId++, ImageBytes(recipe), 0});
        k.label += ", unreferenced " + Describe(recipe);
    }
    if (c.Percent(8)) {
        k.groups[0].entries.push_back({k.groups[0].entries[0].entry, static_cast<std::uint16_t>(nextId + 100)});
        k.label += ", entry naming an absent image";
    }
    if (c.Percent(5) && k.images.size() > 1) {
        const std::size_t i = static_cast<std::size_t>(c.Below(static_cast<int>(k.images.size()) - 1));
        k.images[i + 1].id = k.images[i].id;
        k.label += ", duplicate image ID " + std::to_string(k.images[i].id);
    }
    if (damageOne) {
        std::string what;
        // Often the last: the image at the very end of a tight file.
        const int n = static_cast<int>(k.images.size());
        const auto i = static_cast<std::size_t>(c.Percent(50) ? n - 1 : c.Below(n));
        k.images[i].bytes = DamagedImage(c, recipes.size() > i ? recipes[i] : ImageRecipe{}, what);
        k.label += ", image " + std::to_string(k.images[i].id) + ": " + what;
        k.damagedLast = i + 1 == k.images.size();
    }
    return k;
}

// One damage of a file whose structures lie at these places.
void Damage(Choices& c, Bytes& b, const std::vector<std::size_t>& boundaries, const std::vector<Field>& fields,
            std::string& label) {
    const int kind = c.Below(100);
    if (kind < 30 && !boundaries.empty()) {
        std::size_t cut = boundaries[static_cast<std::size_t>(c.Below(static_cast<int>(boundaries.size())))];
        cut += static_cast<std::size_t>(c.Below(3)) - (cut > 0 ? 1 : 0);
        cut = std::max<std::size_t>(2, std::min(cut, b.size() - 1));
        b.resize(cut);
        label += "; cut at " + std::to_string(cut);
        return;
    }
    if (kind < 85 && !fields.empty()) {
        const Field& f = fields[static_cast<std::size_t>(c.Below(static_cast<int>(fields.size())))];
        if (f.at + static_cast<std::size_t>(f.width) > b.size()) return;
        const std::uint32_t size = static_cast<std::uint32_t>(b.size());
        const std::uint32_t values[] = {0, 1, 0xFFFF, 0xFFFFFFFF, 0x7FFFFFF0, 0xFFFFFFF0, size, size - 1, size / 2, 0x8000, 0xF000, 12};
        std::uint32_t v = c.Pick(values);
        if (f.width == 2) {
            v &= 0xFFFF;
            PutWord(b, f.at, static_cast<std::uint16_t>(v));
        } else {
            PutDword(b, f.at, v);
        }
        label += "; " + f.name + " = " + std::to_string(v);
        return;
    }
    // A few bits flipped among the structures before the data.
    const std::size_t end = std::max<std::size_t>(2, std::min(b.size(), boundaries.empty() ? b.size() : boundaries.back()));
    const int flips = 1 + c.Below(4);
    for (int i = 0; i < flips; ++i) {
        const std::size_t at = static_cast<std::size_t>(c.Next()) % end;
        b[at] = static_cast<std::uint8_t>(b[at] ^ (1u << c.Below(8)));
    }
    label += "; " + std::to_string(flips) + " bits flipped";
}

}  // namespace

namespace {

// Where a size, an end or an offset lands against what the platform reads:
// a byte short, exact, a byte long, a page long.
std::int64_t EdgeDelta(Choices& c) {
    const std::int64_t deltas[] = {-1, 0, 1, 4096};
    return c.Pick(deltas);
}

std::string Signed(std::int64_t d) { return (d < 0 ? "" : "+") + std::to_string(d); }

std::uint32_t DwordAt(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16) |
           static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}

constexpr std::uint64_t kPage = 4096;

// A library whose last image ends, now and then, at a page's end: its
// padding grown until the file is whole pages (or given up).
Bytes LibraryAtPageEnd(LibrarySpec& spec, LibraryLayout& layout) {
    Bytes b = LibraryOf(spec, &layout);
    for (int tries = 0; tries < 4 && b.size() % kPage != 0 && !spec.images.empty(); ++tries) {
        spec.images.back().padBefore += static_cast<std::size_t>(kPage - b.size() % kPage);
        b = LibraryOf(spec, &layout);
    }
    return b;
}

// The images of an icon file moved so that the last ends at a page's end.
void IcoAtPageEnd(Bytes& b, std::size_t images) {
    const std::size_t pad = static_cast<std::size_t>((kPage - b.size() % kPage) % kPage), directory = 6 + 16 * images;
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(directory), pad, 0);
    for (std::size_t i = 0; i < images; ++i) PutDword(b, 6 + 16 * i + 12, static_cast<std::uint32_t>(DwordAt(b, 6 + 16 * i + 12) + pad));
}

// A DOS program: an "MZ" header whose new-header offset lies about its end
// or, in a file of one page, about the page's end.
Bytes DosProgram(Choices& c, std::string& label) {
    const bool page = c.Percent(50);
    Bytes b(page ? kPage : 64 + static_cast<std::size_t>(c.Below(200)), 0);
    b[0] = 'M';
    b[1] = 'Z';
    const std::int64_t d = page ? -c.Below(6) : EdgeDelta(c);
    PutDword(b, 0x3C, static_cast<std::uint32_t>(static_cast<std::int64_t>(b.size()) + d));
    if (page) std::copy_n("PE\0\0", 4, b.end() - 4);
    label = "dos size=" + std::to_string(b.size()) + " new header at size" + Signed(d);
    return b;
}

}  // namespace

GeneratedFile GenerateFile(Choices& c) {
    GeneratedFile f;
    const int kind = c.Below(100);
    const bool damaged = c.Percent(35);
    const int edge = c.Percent(25) ? 1 + c.Below(10) : 0;  // which edge, 1 to 10
    std::vector<std::size_t> boundaries;
    std::vector<Field> fields;
    if (kind < 55) {  // PE32 and PE32+
        Contents k = RandomContents(c, true);
        LibrarySpec spec;
        spec.plus = c.Percent(30);
        spec.languages = c.Percent(15) ? 2 + c.Below(2) : 1;
        spec.imagesInSecondSection = c.Percent(15);
        spec.tight = c.Percent(15) || k.damagedLast || (edge >= 1 && edge <= 4);  // a damaged image the file's last bytes
        spec.groups = std::move(k.groups);
        spec.images = std::move(k.images);
        LibraryLayout layout;
        const bool pageEnd = spec.tight && c.Percent(40);
        f.bytes = pageEnd ? LibraryAtPageEnd(spec, layout) : LibraryOf(spec, &layout);
        f.extension = c.Percent(50) ? L".dll" : L".exe";
        f.label = std::string(spec.plus ? "pe32+" : "pe32") + (spec.languages > 1 ? " languages=" + std::to_string(spec.languages) : "") +
                  (spec.imagesInSecondSection ? " two sections" : "") + (spec.tight ? " tight" : "") +
                  (pageEnd ? " size=" + std::to_string(f.bytes.size()) : "") + " groups=" +
                  std::to_string(spec.groups.size()) + " [" + k.label + "]";
        if (edge >= 1 && edge <= 4 && layout.lastDataSize) {
            const std::int64_t d = EdgeDelta(c);
            PutDword(f.bytes, layout.lastDataSize, static_cast<std::uint32_t>(DwordAt(f.bytes, layout.lastDataSize) + d));
            f.label += "; last image's data size" + Signed(d);
        } else if (edge >= 5 && edge <= 7) {
            const std::int64_t d = EdgeDelta(c);
            PutDword(f.bytes, layout.optionalHeader + 60, static_cast<std::uint32_t>(0x1000 + d));
            f.label += "; headers' size at the resources' address" + Signed(d);
        } else if (edge >= 8 && edge <= 9 && layout.firstGroup) {
            const unsigned entries = f.bytes[layout.firstGroup + 4];
            const auto j = static_cast<std::size_t>(c.Below(static_cast<int>(std::max(1u, entries))));
            const std::uint32_t huge[] = {0x7FFFFFF0, 0xFFFFFFFF};
            PutDword(f.bytes, layout.firstGroup + 6 + 14 * j + 8, c.Pick(huge));
            f.label += "; first group's entry " + std::to_string(j) + " states a huge size";
        } else if (edge == 10) {
            const std::int64_t d = EdgeDelta(c);
            f.sparseSize = static_cast<std::uint64_t>((std::int64_t{256} << 20) + d);
            f.label += "; file of 256 MiB" + Signed(d);
        }
        boundaries = layout.boundaries;
        fields = layout.fields;
    } else if (kind < 78) {  // 16-bit
        Contents k = RandomContents(c, false);
        NeSpec spec;
        for (const ResourceGroup& g : k.groups) spec.groups.push_back(GroupDirectory(g.entries));
        spec.images = std::move(k.images);
        const int shifts[] = {0, 1, 4, 4, 9};
        spec.shift = c.Pick(shifts);
        spec.iconsFirst = c.Percent(30);
        spec.otherTypeFirst = c.Percent(30);
        spec.library = c.Percent(50);
        if (edge) spec.tail = EdgeDelta(c);  // the last image unpadded, and about it
        NeLayout layout;
        // The smallest shift from the chosen one up at which every offset fits.
        while ((f.bytes = NeProgramOf(spec, &layout)).size() > (std::size_t{0xFFFF} << spec.shift)) ++spec.shift;
        f.extension = spec.library ? L".dll" : L".exe";
        f.label = "ne shift=" + std::to_string(spec.shift) + (spec.iconsFirst ? " icons first" : "") +
                  (spec.otherTypeFirst ? " strings first" : "") + (spec.tail ? " ends at the last image" + Signed(*spec.tail) : "") +
                  " groups=" + std::to_string(spec.groups.size()) + " [" + k.label + "]";
        boundaries = layout.boundaries;
        fields = layout.fields;
    } else if (kind < 97) {  // icon files
        std::vector<IcoImage> images;
        const int n = 1 + c.Below(5);
        for (int i = 0; i < n; ++i) {
            const ImageRecipe recipe = RandomImage(c);
            Bytes bytes = ImageBytes(recipe);
            images.push_back({EntryFor(recipe, bytes.size()), std::move(bytes)});
            f.label += (f.label.empty() ? "" : ", ") + Describe(recipe);
            boundaries.push_back(6 + 16 * static_cast<std::size_t>(i));
        }
        f.bytes = IcoFileOf(images);
        f.extension = L".ico";
        f.label = "ico [" + f.label + "]";
        const auto j = static_cast<std::size_t>(c.Below(n));
        const std::size_t sizeAt = 6 + 16 * j + 8;
        if (edge >= 1 && edge <= 5) {
            const std::int64_t d = EdgeDelta(c);
            PutDword(f.bytes, sizeAt, static_cast<std::uint32_t>(DwordAt(f.bytes, sizeAt) + d));
            f.label += "; entry " + std::to_string(j) + "'s size" + Signed(d);
        } else if (edge >= 6 && edge <= 8) {
            const std::uint32_t huge[] = {0x7FFFFFF0, 0xFFFFFFFF};
            PutDword(f.bytes, sizeAt, c.Pick(huge));
            f.label += "; entry " + std::to_string(j) + " states a huge size";
        } else if (edge >= 9) {
            const std::int64_t d = EdgeDelta(c);
            f.sparseSize = std::uint64_t{64} << 20;
            PutDword(f.bytes, sizeAt, static_cast<std::uint32_t>((std::int64_t{64} << 20) + d));
            f.label += "; file of 64 MiB, entry " + std::to_string(j) + "'s size 64 MiB" + Signed(d);
        }
        if (edge && c.Percent(40)) {
            IcoAtPageEnd(f.bytes, static_cast<std::size_t>(n));
            f.label += "; images end at a page's end";
        }
        fields = {{"image count", 4, 2}, {"first entry's size", 6 + 8, 4}, {"first entry's offset", 6 + 12, 4},
                  {"first entry's bit count", 6 + 6, 2}, {"first image header size", 6 + 16 * static_cast<std::size_t>(n), 4}};
        boundaries.push_back(6 + 16 * static_cast<std::size_t>(n));
    } else {  // DOS programs
        f.bytes = DosProgram(c, f.label);
        f.extension = L".exe";
        fields = {{"new header offset", 0x3C, 4}};
        boundaries = {0, 0x3C, 0x40};
    }
    if (damaged) Damage(c, f.bytes, boundaries, fields, f.label);
    return f;
}

GeneratedFile GeneratedFileAt(std::uint32_t seed, std::size_t index) {
    SeededChoices choices((std::uint64_t{seed} << 32) ^ index);
    GeneratedFile f = GenerateFile(choices);
    f.label = "#" + std::to_string(index) + " " + f.label;
    return f;
}

std::vector<GeneratedFile> GeneratedFiles(std::uint32_t seed, std::size_t count) {
    std::vector<GeneratedFile> files;
    for (std::size_t i = 0; i < count; ++i) files.push_back(GeneratedFileAt(seed, i));
    return files;
}

}  // namespace orbelune::test
