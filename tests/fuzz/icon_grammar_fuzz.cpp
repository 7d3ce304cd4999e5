// Structure-aware libFuzzer target for the icon readers, built natively by
// scripts/fuzz.sh: the fuzzer's bytes are the choices of the tests'
// generator, which writes 32-, 64- and 16-bit libraries and icon files with
// every legal form of image and directory and damaged forms of each. Every
// file is read from a buffer of exactly its size: the readers refuse it or
// give directories and images inside the platform's view of it (up to its
// last page's end, zeros past the file), and every image, copied from that
// view, is decoded and judged fit for the platform or not without a read
// outside it.
#include "platform/ico_file.h"
#include "platform/icon_pixels.h"
#include "platform/pe_resources.h"
#include "support/icon_library.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace orbelune;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// An image's bytes copied into a buffer of exactly their size, read there.
void ReadImage(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> image(data, data + size);
    IconImageFitsPlatform(image.data(), image.size());
    for (int side : {16, 32, 48}) {
        std::vector<std::uint32_t> colour(static_cast<std::size_t>(side * side));
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(side * side / 8));
        DecodeIconPixels(image.data(), image.size(), side, colour.data(), mask.data());
    }
}

// The file as the platform's view holds it: zeros to its last page's end.
std::vector<std::uint8_t> ViewOf(const std::vector<std::uint8_t>& file) {
    std::vector<std::uint8_t> view(file);
    view.resize(static_cast<std::size_t>(MappedReach(file.size())), 0);
    return view;
}

void ReadProgram(const std::vector<std::uint8_t>& file) {
    const auto icons = ReadProgramIcons(file.data(), file.size());
    if (!icons) return;
    const std::vector<std::uint8_t> view = ViewOf(file);
    for (const auto& group : icons->groups) {
        if (!group) continue;
        Check(std::uint64_t{*group} + 6 <= view.size());
        const std::uint8_t* g = view.data() + *group;
        const unsigned count = static_cast<unsigned>(g[4] | g[5] << 8);
        if (g[0] == 0 && g[1] == 0 && (g[2] & 3) != 0 && count != 0)
            Check(*group + 6 + 14 * std::uint64_t{count} <= view.size());
    }
    for (const auto& image : icons->images) {
        if (!image.bytes) continue;
        Check(std::uint64_t{image.bytes->offset} + image.bytes->size <= view.size());
        ReadImage(view.data() + image.bytes->offset, image.bytes->size);
    }
}

void ReadIconFile(const std::vector<std::uint8_t>& file) {
    if (CheckIcoHeader(file.data(), file.size()) != IcoHeaderCheck::Ok) return;
    const auto entries = ReadIcoDirectory(file.data(), file.size());
    if (!entries) return;
    const auto directory = IcoResourceDirectory(file.data());
    Check(directory.size() == 6 + 14 * entries->size());
    const std::vector<std::uint8_t> view = ViewOf(file);
    for (const IcoEntry& entry : *entries) {
        Check(entry.offset < file.size());
        std::uint64_t needed = 0, reads = 0;
        const auto length = MappedImageLength(file.data(), file.size(), entry.offset, entry.size, &needed, &reads);
        if (!length) continue;
        Check(entry.offset + *length <= view.size() && needed <= *length && needed <= reads);
        // Past the view only a 12-byte header's alpha test reads.
        Check(entry.offset + reads <= view.size() || view[entry.offset] == 12);
        ReadImage(view.data() + entry.offset, static_cast<std::size_t>(*length));
    }
    ChooseIcoImage(*entries);
    ChooseIcoImageForWidth(*entries, 48);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    test::ByteChoices choices(data, size);
    const test::GeneratedFile generated = test::GenerateFile(choices);
    // Exactly the file's size: a read past its end is a finding.
    const std::vector<std::uint8_t> file(generated.bytes);
    ReadProgram(file);
    ReadIconFile(file);
    return 0;
}
