// libFuzzer target for the icon readers of programs and libraries (32-, 64-
// and 16-bit), built natively by scripts/fuzz.sh. Whatever the bytes, a
// reader either refuses them or gives group directories and images that lie
// inside the platform's view of them (up to their last page's end, zeros
// past them), reading no byte past them itself; and every image, held in a
// buffer of exactly its size, decodes, or is judged fit for the platform or
// not, without a read outside it.
#include "platform/icon_pixels.h"
#include "platform/pe_resources.h"

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace orbelune;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

unsigned Word(const std::uint8_t* p) { return static_cast<unsigned>(p[0] | (p[1] << 8)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto icons = ReadProgramIcons(data, size);
    if (!icons) return 0;
    Check(icons->groups.size() <= 0xFFFF);
    std::vector<std::uint8_t> view(data, data + size);
    view.resize(static_cast<std::size_t>(MappedReach(size)), 0);
    for (const auto& image : icons->images) {
        if (!image.bytes) continue;
        Check(std::uint64_t{image.bytes->offset} + image.bytes->size <= view.size());
        const std::vector<std::uint8_t> bytes(view.data() + image.bytes->offset,
                                              view.data() + image.bytes->offset + image.bytes->size);
        IconImageFitsPlatform(bytes.data(), bytes.size());
        for (int side : {16, 32, 48}) {
            std::vector<std::uint32_t> colour(static_cast<std::size_t>(side * side));
            std::vector<std::uint8_t> mask(static_cast<std::size_t>(side * side / 8));
            DecodeIconPixels(bytes.data(), bytes.size(), side, colour.data(), mask.data());
        }
    }
    for (const auto& group : icons->groups) {
        if (!group) continue;
        Check(std::uint64_t{*group} + 6 <= view.size());
        const std::uint8_t* g = view.data() + *group;
        if (Word(g) == 0 && (Word(g + 2) & 3) != 0) Check(*group + 6 + 14 * std::uint64_t{Word(g + 4)} <= view.size());
    }
    // A deferred reading walks each icon when asked: as the whole reading,
    // the same groups, reading nothing outside the bytes.
    // Its structure read a page at a time as well, with the same results.
    PagedReads pages([&](std::uint64_t offset, std::uint8_t* buffer, std::size_t n) -> std::size_t {
        if (offset >= size) return 0;
        const std::size_t got = n < size - offset ? n : static_cast<std::size_t>(size - offset);
        std::copy_n(data + offset, got, buffer);
        return got;
    });
    const auto deferred = ReadProgramIcons(data, size, {}, NamedImages::Deferred);
    const auto paged = ReadProgramIcons(data, size, {}, NamedImages::Deferred, &pages);
    Check(deferred && deferred->Count() == icons->Count() && paged && paged->Count() == icons->Count());
    for (std::size_t g = 0; g < deferred->Count(); ++g) {
        Check(NamedImagesSafe(data, size, *deferred, g) && NamedImagesSafe(data, size, *paged, g, {}, &pages));
        Check(IconGroup(data, size, *deferred, g) == icons->groups[g]);
        Check(IconGroup(data, size, *paged, g, &pages) == icons->groups[g]);
    }
    for (const auto& image : icons->images) {
        const auto found = ImageEntryOf(data, size, *deferred, image.id);
        Check(found.has_value() == (icons->Find(image.id) != nullptr));
    }
    IconOfGroupId(data, size, *deferred, 1);
    return 0;
}
