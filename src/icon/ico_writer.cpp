#include "icon/ico_writer.h"

#include "icon/ico_layout.h"
#include "platform/handle.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace orbelune {

namespace {

constexpr wchar_t kInvalidBitmap[] = L"Invalid Bitmap";
constexpr wchar_t kNoIconInfo[] = L"ERROR - unable to retrive IconInfo";

// What the object query fills when it also gives a DIB header.
constexpr int kWithDibHeader = static_cast<int>(offsetof(DIBSECTION, dsBitfields));

}  // namespace

bool InitializeBitmapInfoHeader(HBITMAP bitmap, BITMAPINFOHEADER& header, IconDepth depth, Prompts& user) {
    DIBSECTION section{};
    section.dsBmih.biSize = 0;
    const int filled = ::GetObjectW(bitmap, sizeof section, &section);
    if (filled == 0) {
        user.Inform(kInvalidBitmap);
        return false;
    }
    if (filled >= kWithDibHeader && section.dsBmih.biSize >= kDibHeaderSize) {
        header = section.dsBmih;
    } else {
        header = BITMAPINFOHEADER{};
        header.biSize = kDibHeaderSize;
        header.biWidth = section.dsBm.bmWidth;
        header.biHeight = section.dsBm.bmHeight;
    }

    const WORD before = header.biBitCount;
    if (depth == IconDepth::Own)
        header.biBitCount = static_cast<WORD>(section.dsBm.bmPlanes * section.dsBm.bmBitsPixel);
    else if (const int bits = BitCountOfDepth(depth))
        header.biBitCount = static_cast<WORD>(bits);
    header.biPlanes = 1;

    // An image size taken over from the bitmap holds only for its own bit
    // count; read at another one it would be too small for the pixels.
    if (header.biSizeImage == 0 || header.biBitCount != before)
        header.biSizeImage =
            static_cast<DWORD>(RowSize(header.biWidth, header.biBitCount)) * static_cast<DWORD>(std::abs(header.biHeight));
    return true;
}

bool GetDIBSizes(HBITMAP bitmap, std::uint32_t& headerSize, std::uint32_t& imageSize, IconDepth depth, Prompts& user) {
    BITMAPINFOHEADER scratch{};
    if (!InitializeBitmapInfoHeader(bitmap, scratch, depth, user)) return false;
    headerSize = DibHeaderSize(scratch.biBitCount, scratch.biCompression);
    imageSize = scratch.biSizeImage;
    return true;
}

namespace {

enum class PixelRead { Done, Undescribed, Failed };

// Prepares the header at the start of headerBuffer and has the platform read
// the pixel rows into bitsBuffer and the colour table behind the header;
// tells a bitmap that cannot be described (reported already) from a pixel
// read that the platform refused.
PixelRead GetDIB(HBITMAP bitmap, void* headerBuffer, void* bitsBuffer, IconDepth depth, Prompts& user) {
    auto& header = *static_cast<BITMAPINFOHEADER*>(headerBuffer);
    if (!InitializeBitmapInfoHeader(bitmap, header, depth, user)) return PixelRead::Undescribed;
    UniqueDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return PixelRead::Failed;
    const auto rows = static_cast<UINT>(std::abs(header.biHeight));
    const int read =
        ::GetDIBits(dc.Get(), bitmap, 0, rows, bitsBuffer, static_cast<BITMAPINFO*>(headerBuffer), DIB_RGB_COLORS);
    return read != 0 ? PixelRead::Done : PixelRead::Failed;
}

BITMAPINFOHEADER HeaderOf(const std::vector<std::uint8_t>& buffer) {
    BITMAPINFOHEADER header;
    std::memcpy(&header, buffer.data(), sizeof header);
    return header;
}

}  // namespace

bool SaveToStream(ByteStream& stream, HICON icon, IconDepth depth, Prompts& user) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) {
        user.Inform(kNoIconInfo);
        return false;
    }
    // Deleted when the write ends, the colour bitmap first.
    UniqueBitmap mask(info.hbmMask);
    UniqueBitmap colour(info.hbmColor);
    return SaveBitmapsToStream(stream, colour.Get(), mask.Get(), depth, user);
}

bool SaveBitmapsToStream(ByteStream& stream, HBITMAP colour, HBITMAP mask, IconDepth depth, Prompts& user) {
    std::uint8_t fileHeader[kIcoHeaderSize] = {};
    std::uint8_t entry[kIcoEntrySize] = {};

    std::uint32_t maskHeaderSize = 0, maskImageSize = 0, colourHeaderSize = 0, colourImageSize = 0;
    if (!GetDIBSizes(mask, maskHeaderSize, maskImageSize, IconDepth::Mask, user) ||
        !GetDIBSizes(colour, colourHeaderSize, colourImageSize, depth, user))
        return false;

    // Zero-filled, sized exactly; released when the write ends.
    std::vector<std::uint8_t> maskHeader(maskHeaderSize), maskBits(maskImageSize);
    std::vector<std::uint8_t> colourHeader(colourHeaderSize), colourBits(colourImageSize);

    // Pixels the platform would not read are no icon: nothing is written.
    PixelRead read = GetDIB(mask, maskHeader.data(), maskBits.data(), IconDepth::Mask, user);
    if (read == PixelRead::Done) read = GetDIB(colour, colourHeader.data(), colourBits.data(), depth, user);
    if (read != PixelRead::Done) {
        if (read == PixelRead::Failed) user.Inform(kInvalidBitmap);
        return false;
    }

    BITMAPINFOHEADER header = HeaderOf(colourHeader);
    if (depth == IconDepth::Own && header.biBitCount == 32 && header.biCompression == BI_RGB) {
        const BITMAPINFOHEADER maskInfo = HeaderOf(maskHeader);
        FillAlphaFromMask(colourBits.data(), colourBits.size(), header.biWidth, header.biHeight, maskBits.data(),
                          maskBits.size(), maskInfo.biWidth, maskInfo.biHeight);
    }

    FillIcoFileHeader(fileHeader);
    stream.Write(fileHeader, sizeof fileHeader);

    FillIcoDirectoryEntry(entry, header.biWidth, header.biHeight, header.biPlanes, header.biBitCount,
                          colourHeaderSize + colourImageSize + maskImageSize);
    stream.Write(entry, sizeof entry);

    // The colour image's height counts the mask as well.
    header.biHeight += header.biHeight;
    std::memcpy(colourHeader.data(), &header, sizeof header);
    stream.Write(colourHeader.data(), colourHeader.size());
    stream.Write(colourBits.data(), colourBits.size());
    stream.Write(maskBits.data(), maskBits.size());
    return true;
}

}  // namespace orbelune
