// libFuzzer target for the icon reader of programs and libraries, built
// natively by scripts/fuzz.sh. Whatever the bytes, the reader either refuses
// them or gives groups and images that lie inside them, with every entry of
// every group naming an image; and every image, held in a buffer of exactly
// its size, decodes or is left to the platform without a read outside it.
#include "platform/icon_pixels.h"
#include "platform/pe_resources.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace orbelune;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Inside(const FileSpan& span, std::size_t size) { return std::uint64_t{span.offset} + span.size <= size; }

unsigned Word(const std::uint8_t* p) { return static_cast<unsigned>(p[0] | (p[1] << 8)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ExecutableKind kind = ClassifyExecutable(data, size);
    const auto icons = ReadPeIcons(data, size);
    if (!icons) return 0;
    Check(kind == ExecutableKind::Pe);
    Check(icons->groups.size() <= 0xFFFF);
    for (const IconResource& icon : icons->icons) {
        Check(Inside(icon.bytes, size) && icon.bytes.size > 0);
        const std::vector<std::uint8_t> image(data + icon.bytes.offset, data + icon.bytes.offset + icon.bytes.size);
        for (int side : {16, 32, 48}) {
            std::vector<std::uint32_t> colour(static_cast<std::size_t>(side * side));
            std::vector<std::uint8_t> mask(static_cast<std::size_t>(side * side / 8));
            DecodeIconPixels(image.data(), image.size(), side, colour.data(), mask.data());
        }
    }
    for (const FileSpan& group : icons->groups) {
        Check(Inside(group, size) && group.size >= 6);
        const std::uint8_t* g = data + group.offset;
        const unsigned count = Word(g + 4);
        Check(count > 0 && 6 + 14 * std::uint64_t{count} <= group.size);
        for (unsigned i = 0; i < count; ++i) Check(icons->Icon(static_cast<std::uint16_t>(Word(g + 6 + 14 * i + 12))));
    }
    return 0;
}
