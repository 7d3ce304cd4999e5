#include "support/picker_listing.h"

#include "app/application.h"
#include "app/file_dialog.h"
#include "platform/handle.h"
#include "ui/iconpicker/icon_picker.h"
#include "ui/image_box.h"
#include "support/window_set.h"

#include <shellapi.h>
#include <algorithm>

namespace orbelune::test {

std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof bm, &bm)) return {};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
    UniqueDc dc(::CreateCompatibleDC(nullptr));
    ::GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

IconPixels PixelsOf(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    return {BitmapPixels(colour.Get()), BitmapPixels(mask.Get())};
}

namespace {

// The images of a list, from the first to the last asked for.
std::vector<IconPixels> CutImages(HIMAGELIST list, int first, int last) {
    std::vector<IconPixels> images;
    IMAGEINFO info{};
    if (first < 0 || !::ImageList_GetImageInfo(list, first, &info)) return images;
    const IconPixels all{BitmapPixels(info.hbmImage), BitmapPixels(info.hbmMask)};
    BITMAP bm{};
    ::GetObjectW(info.hbmImage, sizeof bm, &bm);
    for (int i = first; i <= last && ::ImageList_GetImageInfo(list, i, &info); ++i) {
        const RECT r = info.rcImage;
        IconPixels one;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const auto at = static_cast<std::size_t>(y * bm.bmWidth + x);
                one.colour.push_back(all.colour.at(at));
                if (!all.mask.empty()) one.mask.push_back(all.mask.at(at));
            }
        images.push_back(std::move(one));
    }
    return images;
}

}  // namespace

std::vector<IconPixels> ListImages(HIMAGELIST list) { return CutImages(list, 0, ::ImageList_GetImageCount(list) - 1); }

IconPixels ListImage(HIMAGELIST list, int i) {
    std::vector<IconPixels> one = CutImages(list, i, i);
    return one.empty() ? IconPixels{} : std::move(one[0]);
}

std::vector<std::uint32_t> DrawnImage(HIMAGELIST list, int i) {
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(list, &cx, &cy);
    UniqueDc dc(::CreateCompatibleDC(nullptr));
    UniqueBitmap ground(::CreateBitmap(cx, cy, 1, 32, std::vector<std::uint32_t>(static_cast<std::size_t>(cx * cy), 0x808080u).data()));
    const HGDIOBJ before = ::SelectObject(dc.Get(), ground.Get());
    ::ImageList_Draw(list, i, dc.Get(), 0, 0, ILD_NORMAL);
    ::SelectObject(dc.Get(), before);
    return BitmapPixels(ground.Get());
}

void ExpectListedAsThePlatform(const std::wstring& path) {
    const int count = static_cast<int>(reinterpret_cast<INT_PTR>(::ExtractIconW(nullptr, path.c_str(), UINT(-1))));
    ASSERT_EQ(TheIconPicker()->IconGridCount(), count);
    HIMAGELIST listed = ListView_GetImageList(TheIconPicker()->Control(IconPicker::kIconGrid), LVSIL_NORMAL);
    int side = 0;
    ::ImageList_GetIconSize(listed, &side, &side);
    UniqueImageList reference(::ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, std::max(count, 1), 16));
    const auto pixels = static_cast<std::size_t>(side * side);
    const IconPixels blank{std::vector<std::uint32_t>(pixels, 0), std::vector<std::uint32_t>(pixels, 0xFFFFFF)};
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        HICON icon = nullptr;
        if (side == 32) icon = ::ExtractIconW(nullptr, path.c_str(), static_cast<UINT>(i));
        else ::PrivateExtractIconsW(path.c_str(), i, side, side, &icon, nullptr, 1, 0);
        UniqueIcon extracted(icon);
        if (!extracted) {
            EXPECT_EQ(ListImage(listed, i), blank);
            continue;
        }
        const int at = ::ImageList_AddIcon(reference.Get(), extracted.Get());
        ASSERT_GE(at, 0);
        ASSERT_EQ(ListImage(listed, i), ListImage(reference.Get(), at));
        ASSERT_EQ(DrawnImage(listed, i), DrawnImage(reference.Get(), at));
    }
    // The icon of an index or a group ID (a negative index) by itself, as
    // the image box shows it, is the platform's too; none past the last.
    for (int i = -3; i <= count; i += i == -2 ? 2 : 1) {
        SCOPED_TRACE(i);
        HICON icon = nullptr;
        ::PrivateExtractIconsW(path.c_str(), i, side, side, &icon, nullptr, 1, 0);
        UniqueIcon platform(icon), ours(ExtractIconAtSize(path, i, side));
        ASSERT_EQ(!ours, !platform);
        if (platform) {
            EXPECT_EQ(PixelsOf(ours.Get()), PixelsOf(platform.Get()));
        }
    }
}

PickerListingTest::PickerListingTest() {
    SetFileDialogAnswerer([this](bool, FileDialogState& state) {
        state.fileName = next_;
        state.filterIndex = 3;  // libraries: anything is listed
        return true;
    });
}

PickerListingTest::~PickerListingTest() { SetFileDialogAnswerer(nullptr); }

void PickerListingTest::Open(const std::wstring& path, bool wait) {
    next_ = path;
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kOpenButton), BM_CLICK, 0, 0);
    if (wait) PumpUntilIconsMade();
    else Pump();
}

std::wstring PickerListingTest::Write(const std::wstring& name, const std::vector<unsigned char>& bytes) {
    const std::wstring path = folder_.File(name);
    WriteFileBytes(path, bytes);
    return path;
}

std::wstring PickerListingTest::Refusal(const std::wstring& path) {
    return L"ファイル " + path + L" は壊れているため、アイコンを一覧にできません.";
}

}  // namespace orbelune::test
