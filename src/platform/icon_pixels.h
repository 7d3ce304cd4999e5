// The pixels of a plain icon image (a bitmap header, its colour table, the
// colour rows and the mask rows, as icon resources and .ico files hold it),
// decoded as the platform gives them back from an icon it made of that image
// at its own size on a true-colour display: 32-bit pixels 0x00RRGGBB (a
// 32-bit image keeps its alpha byte) and the mask at one bit a pixel; and
// the check that an image is safe to hand to the platform at all. Free of
// windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace orbelune {

// Decodes an image of exactly side x side pixels, uncompressed, at 1, 4, 8,
// 24 or 32 bits a pixel, into `colour` (side * side pixels, top row first)
// and `mask` (side rows of side / 8 bytes, top row first). false, with
// nothing promised of the buffers, for any other image (another size, a PNG
// image, compression, 16 bits, a black-and-white image, which the platform
// makes into a monochrome icon, a pixel past a short colour table, no mask)
// or one whose parts do not fit `size`; those are left to the platform.
// `side` is a multiple of 8.
bool DecodeIconPixels(const std::uint8_t* image, std::size_t size, int side, std::uint32_t* colour,
                      std::uint8_t* mask);

// What the platform makes of an icon image (CreateIconFromResourceEx):
enum class PlatformImage {
    Fits,    // its own icon, or none, reading no more than IconImageReach
    NoIcon,  // none (fewer than 12 bytes)
    Unsafe,  // reads it might make anywhere: an animated-cursor chunk list it
             // does not bound, image sizes its 32-bit arithmetic wraps
};

// The judgement of `size` bytes of an image, from at most its first 48.
PlatformImage JudgeIconImage(const std::uint8_t* image, std::size_t size);

// How many bytes from the image's start the platform reads whatever its
// size: its first four. They must be there, the image's or what follows it.
std::size_t IconImageReach(const std::uint8_t* image, std::size_t size);

// How many bytes from the image's start the platform reads of an image
// stated to be `size` bytes long (CreateIconFromResourceEx with that size),
// judged from its first 48 bytes (zeros past its end): a plain image's
// header, colours, colour rows and mask as far as its checks against the
// size let it go, a PNG image all of it (MappedImageLength walks its
// chunks), and never less than
// IconImageReach. A stated size larger than the image needs is no reason
// for more; handing the platform any size from this up to the stated one
// makes the same icon.
std::uint64_t IconImageExtent(const std::uint8_t* image, std::uint64_t size);

// The platform's extraction reads a file through a view of it, which ends
// at the end of the file's last page: what it reads there past the file's
// end is zeros, and only a read beyond that page faults.
inline constexpr std::uint64_t kMappedPage = 4096;
inline constexpr std::uint64_t MappedReach(std::uint64_t fileSize) {
    return (fileSize + kMappedPage - 1) / kMappedPage * kMappedPage;
}

// The first 48 bytes of an image at `offset` of a file of fileSize bytes,
// zeros past the file's end: what the judgements above look at.
struct ImageHead {
    std::uint8_t bytes[48] = {};
};
ImageHead HeadOfImage(const std::uint8_t* file, std::uint64_t fileSize, std::uint64_t offset);

// Gives the 8 bytes at a file offset, zeros past the file's end.
using ReadEight = std::function<void(std::uint64_t offset, std::uint8_t (&out)[8])>;

// The length to hand the platform for an image stated `size` bytes long at
// `offset` of a file of fileSize bytes that it reads through its view (see
// MappedReach): the stated size, cut to the view's end, which gives the
// same icon (see IconImageExtent; a PNG image is read chunk by chunk to its
// IEND chunk at most); nothing when the platform would read past the view's
// end for it, or might read anywhere (PlatformImage::Unsafe). `needed`, when
// given, gets how much of that the platform reads at most: any length from
// it to the stated size makes the same icon. `reads`, when given, gets how
// many bytes from the image's start the platform may read when handed any
// of those lengths, which may be more than the length (see kAlphaTestEnd):
// whoever hands it the image holds that many bytes from its start too, the
// file's (zeros past its end) up to the view's end and kAlphaTestEnd past.
std::optional<std::uint64_t> MappedImageLength(const ImageHead& head, const ReadEight& read, std::uint64_t offset,
                                               std::uint32_t size, std::uint64_t fileSize,
                                               std::uint64_t* needed = nullptr, std::uint64_t* reads = nullptr);
// The same for a file held in memory (or mapped), of which only the
// fileSize bytes are read.
std::optional<std::uint64_t> MappedImageLength(const std::uint8_t* file, std::uint64_t fileSize, std::uint64_t offset,
                                               std::uint32_t size, std::uint64_t* needed = nullptr,
                                               std::uint64_t* reads = nullptr);

// The platform makes an icon of a copy of an image's header and colour
// table, and tests that copy for an alpha channel as if it had a 40-byte
// header: of a 12-byte header it takes the bit count from the colour table
// (up to 8 bits a pixel) or from memory the copy never wrote (above), so
// that the test may run whatever the image's depth. The test looks at the
// fourth byte of 4-byte pixels from the colour rows on, up to the first
// that is not zero; finding one, where the size it is handed holds no
// mask, it makes the mask from 32-bit pixels over all of the image's rows.
// Either may read past the image. Past the view's end, only a test on
// memory the platform never wrote can read: a copy holds this byte there,
// which ends it.
inline constexpr std::uint8_t kAlphaTestEnd = 0xFF;

// Whether the platform may be asked to make an icon of these bytes.
inline bool IconImageFitsPlatform(const std::uint8_t* image, std::size_t size) {
    return JudgeIconImage(image, size) == PlatformImage::Fits;
}

}  // namespace orbelune
