// The icon picker's listing driven through its open button, and the pixels
// of icons and image lists, to compare the grid with the platform's icons.
#pragma once

#include "support/gui.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orbelune::test {

// A bitmap's pixels as 32-bit values, top row first.
std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap);

struct IconPixels {
    std::vector<std::uint32_t> colour, mask;
    bool operator==(const IconPixels&) const = default;
};

// An icon's colour and mask bitmaps; empty for none.
IconPixels PixelsOf(HICON icon);
// Every image of an image list, cut from its bitmaps.
std::vector<IconPixels> ListImages(HIMAGELIST list);
IconPixels ListImage(HIMAGELIST list, int i);
// An image of a list as the list draws it (ImageList_Draw) on a grey ground.
std::vector<std::uint32_t> DrawnImage(HIMAGELIST list, int i);
// The picker's grid as the platform's extraction lists the file: its count,
// and for every index the image the platform makes at the grid's size
// (ExtractIconW's at 32 pixels), kept and drawn alike, or a blank one where
// it makes none.
void ExpectListedAsThePlatform(const std::wstring& path);

// Starts the program; Open lists a file in the picker as chosen in the open
// dialog under the libraries' filter, where every file is listed, and (unless
// told not to) waits for the icons being made.
class PickerListingTest : public AppTest {
protected:
    PickerListingTest();
    ~PickerListingTest() override;

    void Open(const std::wstring& path, bool wait = true);
    std::wstring Write(const std::wstring& name, const std::vector<unsigned char>& bytes);
    // The picker's message for a file it refuses to list.
    static std::wstring Refusal(const std::wstring& path);

    TempFolder folder_;
    std::wstring next_;
};

}  // namespace orbelune::test
