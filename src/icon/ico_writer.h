// The icon file writer: one icon written as a single-image .ico file at a
// chosen colour depth. The platform reads the icon's colour bitmap back at
// the bit count the depth names; the mask is always written at 1 bit.
#pragma once

#include "icon/ico_layout.h"
#include "platform/byte_stream.h"
#include "platform/prompts.h"

#include <windows.h>

#include <cstdint>

namespace orbelune {

// Fills a DIB header for the bitmap at the bit count of the depth. A
// bitmap that cannot be described is reported to the user ("Invalid Bitmap")
// and gives false.
bool InitializeBitmapInfoHeader(HBITMAP bitmap, BITMAPINFOHEADER& header, IconDepth depth, Prompts& user);

// The header size (with colour table or masks) and the image size that
// reading the bitmap at the depth needs; false for an invalid bitmap.
bool GetDIBSizes(HBITMAP bitmap, std::uint32_t& headerSize, std::uint32_t& imageSize, IconDepth depth, Prompts& user);

// Writes the whole .ico file for the icon to the stream. Nothing is written
// before the icon has been queried and both images read. An icon whose
// information cannot be had ("ERROR - unable to retrive IconInfo"), or whose
// bitmaps cannot be described or read ("Invalid Bitmap"), is reported to
// the user (Prompts::Inform) and nothing is written: the result says whether the
// file was written. At the icon's own depth a 32-bit image without any alpha
// is given the alpha of its mask, so that every reader shows the same.
bool SaveToStream(ByteStream& stream, HICON icon, IconDepth depth, Prompts& user);

// The same for an icon's colour and mask bitmaps, which stay the caller's.
bool SaveBitmapsToStream(ByteStream& stream, HBITMAP colour, HBITMAP mask, IconDepth depth, Prompts& user);

}  // namespace orbelune
