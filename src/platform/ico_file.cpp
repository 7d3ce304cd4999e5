#include "platform/ico_file.h"

#include "platform/little_endian.h"

#include <algorithm>

namespace orbelune {

namespace {

unsigned Distance(unsigned side) { return std::max(side, 32u) - std::min(side, 32u); }

}  // namespace

IcoHeaderCheck CheckIcoHeader(const std::uint8_t* data, std::size_t size) {
    if (size < kIcoHeaderSize) return IcoHeaderCheck::TooShort;
    const unsigned type = Word(data + kIcoHeaderType);
    if (type != 0 && type != kIcoTypeIcon) return IcoHeaderCheck::WrongType;
    return IcoHeaderCheck::Ok;
}

unsigned IcoImageCount(const std::uint8_t* header) { return Word(header + kIcoHeaderCount); }

std::uint64_t IcoDirectoryEnd(const std::uint8_t* header) {
    return kIcoHeaderSize + std::uint64_t{IcoImageCount(header)} * kIcoEntrySize;
}

std::optional<std::vector<IcoEntry>> ReadIcoDirectory(const std::uint8_t* data, std::size_t size) {
    return ReadIcoDirectory(data, size, size);
}

std::optional<std::vector<IcoEntry>> ReadIcoDirectory(const std::uint8_t* head, std::size_t headSize,
                                                      std::uint64_t fileSize) {
    if (headSize > fileSize || CheckIcoHeader(head, headSize) != IcoHeaderCheck::Ok) return std::nullopt;
    const unsigned count = IcoImageCount(head);
    if (count == 0) return std::nullopt;
    const std::uint64_t directoryEnd = IcoDirectoryEnd(head);
    if (directoryEnd > headSize) return std::nullopt;

    std::vector<IcoEntry> entries;
    entries.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        const std::uint8_t* e = head + kIcoHeaderSize + i * kIcoEntrySize;
        IcoEntry entry{e[0] ? e[0] : 256u, e[1] ? e[1] : 256u, Word(e + kIcoEntryBitCount),
                       Dword(e + kIcoEntryImageSize), Dword(e + kIcoEntryImageOffset)};
        // How far an image is read is its own affair (IconImageExtent): the
        // size an entry states may run past the file's end.
        if (entry.size == 0 || entry.offset < directoryEnd || entry.offset >= fileSize) return std::nullopt;
        entries.push_back(entry);
    }
    return entries;
}

std::vector<std::uint8_t> IcoResourceDirectory(const std::uint8_t* head) {
    const unsigned count = IcoImageCount(head);
    std::vector<std::uint8_t> directory(head, head + kIcoHeaderSize);
    for (unsigned i = 0; i < count; ++i) {
        const std::uint8_t* e = head + kIcoHeaderSize + i * kIcoEntrySize;
        directory.insert(directory.end(), e, e + kIcoEntryImageOffset);
        directory.resize(directory.size() + 2);
        PutWord(directory.data() + directory.size() - 2, i);
    }
    return directory;
}

std::size_t ChooseIcoImage(const std::vector<IcoEntry>& entries) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const IcoEntry& a = entries[i];
        const IcoEntry& b = entries[best];
        const unsigned da = Distance(a.width) + Distance(a.height);
        const unsigned db = Distance(b.width) + Distance(b.height);
        if (da < db || (da == db && a.bitCount > b.bitCount)) best = i;
    }
    return best;
}

std::size_t ChooseIcoImageForWidth(const std::vector<IcoEntry>& entries, unsigned width) {
    const auto better = [width](const IcoEntry& a, const IcoEntry& b) {
        const bool aFits = a.width >= width, bFits = b.width >= width;
        if (aFits != bFits) return aFits;
        if (a.width != b.width) return aFits ? a.width < b.width : a.width > b.width;
        return a.bitCount > b.bitCount;
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < entries.size(); ++i)
        if (better(entries[i], entries[best])) best = i;
    return best;
}

}  // namespace orbelune
