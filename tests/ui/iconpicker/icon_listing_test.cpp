// The picker's listing of programs and libraries through the checked icon
// readers: files the platform could only read outside of give a message and
// an empty grid, all others the very images the platform's extraction gives.
#include "ui/iconpicker/icon_picker.h"

#include "app/application.h"
#include "support/gui.h"
#include "support/icon_library.h"
#include "support/scratch_registry.h"
#include "support/picker_listing.h"
#include "ui/icon_maker.h"
#include "ui/image_box.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>

namespace orbelune {
namespace {

using test::IconPixels;
using test::ListImage;
using test::PixelsOf;

class IconListingTest : public test::PickerListingTest {};

const std::wstring kComctl = L"C:\\windows\\system32\\comctl32.dll";
const std::wstring kShell = L"C:\\windows\\system32\\shell32.dll";

// A library the platform could only list by reading outside the file is
// refused with the message and an empty grid; any other is listed exactly
// as the platform lists it, however odd.
TEST_F(IconListingTest, DamagedLibrariesAreRefusedOrListedAsThePlatformListsThem) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    int n = 0, refused = 0;
    for (const auto& damaged : test::DamagedLibraries()) {
        SCOPED_TRACE(damaged.what);
        Open(kComctl);  // a full grid and a chosen icon first
        test::ClickIconGridItem(1);
        ASSERT_EQ(TheIconPicker()->IconGridCount(), 4);
        const std::wstring path = Write(L"damaged" + std::to_wstring(n++) + L".dll", damaged.bytes);
        boxes_.clear();
        Open(path);
        EXPECT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Empty());
        EXPECT_TRUE(TheIconPicker()->IsShown());
        if (boxes_.empty()) {
            test::ExpectListedAsThePlatform(path);
            continue;
        }
        ++refused;
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
        EXPECT_EQ(boxes_[0].text, Refusal(path));
        EXPECT_EQ(TheIconPicker()->IconGridCount(), 0);
        EXPECT_EQ(TheIconPicker()->IconCount(), 0);
        EXPECT_FALSE(UniqueIcon(ExtractIconAtSize(path, 0, 32)));  // by itself too
    }
    // Counts and offsets leading beyond the file's last page; cuts inside
    // the headers or directories read as zeros to that page's end.
    EXPECT_EQ(refused, 17);
}

TEST_F(IconListingTest, DamagedIconFilesListedAsLibrariesGiveTheMessage) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    test::Bytes farOffset = test::IcoFile({{32, 32}}, 1);
    test::PutDword(farOffset, 6 + 12, 0x7FFFFFF0);
    const test::Bytes table[] = {
        {0, 0, 1, 0, 0xFF, 0xFF},  // 65,535 images in six bytes
        farOffset,
    };
    int n = 0;
    for (const test::Bytes& bytes : table) {
        const std::wstring path = Write(L"damaged" + std::to_wstring(n++) + L".ico", bytes);
        boxes_.clear();
        Open(path);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, Refusal(path));
        EXPECT_EQ(TheIconPicker()->IconGridCount(), 0);
    }
    Open(Write(L"good.ico", test::IcoFile({{16, 8}, {32, 32}}, 1)));
    EXPECT_EQ(TheIconPicker()->IconGridCount(), 1);
}

TEST_F(IconListingTest, ByteFlipsInTheStructureNeverEndTheProgram) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    test::LibraryLayout layout;
    const test::Bytes good = test::IconLibrary(test::MixedGroups(), &layout);
    unsigned seed = 8;
    for (int n = 0; n < 120; ++n) {
        SCOPED_TRACE(n);
        test::Bytes bytes = good;
        for (int flip = 0; flip < 3; ++flip) {  // headers, section table, directories, data entries
            seed = seed * 1103515245 + 12345;
            const std::size_t at = layout.peHeader + (seed >> 8) % (layout.firstGroup - layout.peHeader);
            bytes[at] = static_cast<std::uint8_t>(bytes[at] ^ (1u << ((seed >> 4) % 8)));
        }
        const std::wstring path = Write(L"flipped" + std::to_wstring(n) + L".dll", bytes);
        boxes_.clear();
        Open(path);
        // Refused with the message and an empty grid, or listed as the
        // platform lists it.
        if (boxes_.empty()) {
            test::ExpectListedAsThePlatform(path);
        } else {
            EXPECT_EQ(boxes_[0].text, Refusal(path));
            EXPECT_EQ(TheIconPicker()->IconGridCount(), 0);
            EXPECT_FALSE(UniqueIcon(ExtractIconAtSize(path, 0, 32)));
        }
    }
}

TEST_F(IconListingTest, ClickOnAnIconOfADamagedFileGivesTheMessage) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(kComctl);
    test::ClickIconGridItem(0);
    // Opened under a name that is neither a program nor an icon file: the
    // grid stays, and a click reads the damaged file.
    const auto damaged = test::DamagedLibraries();
    const auto rootIds = std::find_if(damaged.begin(), damaged.end(),
                                      [](const auto& d) { return d.what == "root ID count 0xFFFF"; });
    ASSERT_NE(rootIds, damaged.end());
    next_ = Write(L"damaged.bin", rootIds->bytes);
    SetFileDialogAnswerer([this](bool, FileDialogState& state) {
        state.fileName = next_;
        state.filterIndex = 4;
        return true;
    });
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kOpenButton), BM_CLICK, 0, 0);
    test::Pump();
    ASSERT_EQ(TheIconPicker()->IconGridCount(), 4);
    boxes_.clear();
    test::ClickIconGridItem(2);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Refusal(next_));
    EXPECT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Empty());
}

TEST_F(IconListingTest, ListedIconsAreTheImagesExtractIconGives) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    const std::wstring mixed = Write(L"mixed.dll", test::IconLibrary(test::MixedGroups()));
    // More icons than the listing makes from one view of the file.
    std::vector<test::GroupSpec> groups;
    for (int i = 0; i < 300; ++i) groups.push_back({L"", {{i % 2 ? 16 : 32, i % 3 ? 8 : 32}}});
    const std::wstring many = Write(L"many.dll", test::IconLibrary(groups));
    // Every depth a plain image may have, at the grid's size.
    const std::wstring depths =
        Write(L"depths.dll", test::IconLibrary({{L"", {{32, 1}}}, {L"", {{32, 4}}}, {L"", {{32, 24}}}, {L"", {{32, 32}}}}));
    // Groups of the same entries, the last (which the listing asks for
    // first) naming one image twice: each group shows the image its own
    // entries choose.
    test::Bytes twice = test::IconLibrary(std::vector<test::GroupSpec>(3, {L"", {{32, 32}, {32, 8}}}));
    const auto word = [&](std::size_t at) { return twice[at] | twice[at + 1] << 8; };
    for (std::size_t at = 0; at + 34 <= twice.size(); ++at)  // its directory: 2 entries, of images 5 and 6
        if (word(at) == 0 && word(at + 2) == 1 && word(at + 4) == 2 && word(at + 18) == 5 && word(at + 32) == 6)
            twice[at + 32] = 5;
    const std::wstring shared = Write(L"shared.dll", twice);
    for (const std::wstring& path : {mixed, many, depths, shared, kComctl, kShell}) {
        SCOPED_TRACE(test::Utf8(path));
        Open(path);
        const int count = static_cast<int>(reinterpret_cast<INT_PTR>(::ExtractIconW(nullptr, path.c_str(), UINT(-1))));
        ASSERT_GT(count, 0);
        EXPECT_TRUE(boxes_.empty());
        test::ExpectListedAsThePlatform(path);
        for (int i : {0, 1, 2, 3, 4, 5, count - 1}) {  // the chosen icon, by a click
            if (i >= count) continue;
            SCOPED_TRACE(i);
            UniqueIcon extracted(::ExtractIconW(nullptr, path.c_str(), static_cast<UINT>(i)));
            test::ClickIconGridItem(i);
            const IconPixels icon = PixelsOf(extracted.Get());
            ASSERT_FALSE(icon.colour.empty());
            EXPECT_EQ(PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()), icon);
        }
    }
}

// An icon by file and index, as the previews make it: the platform's own
// (ExtractIconW's), and none where it gives none; a negative index names a
// library's group by its ID, and takes an icon file's one icon.
TEST_F(IconListingTest, IconsByIndexAreThePlatforms) {
    Start();
    const std::wstring ico = Write(L"one.ico", test::IcoFile({{16, 32}, {32, 32}}, 3));
    const std::wstring library = Write(L"lib.dll", test::IconLibrary(test::MixedGroups()));
    test::Bytes cursorBytes = test::IcoFile({{32, 32}}, 3);
    cursorBytes[2] = 2;  // a cursor file's type: no icon
    const std::wstring cursor = Write(L"one.cur", cursorBytes);
    const std::pair<std::wstring, int> cases[] = {{ico, 0},       {ico, 1},      {ico, -2},     {library, 0},  {library, 2},
                                                  {library, 99},  {library, -2}, {library, -3}, {cursor, 0}};
    for (const auto& [path, index] : cases) {
        SCOPED_TRACE(test::Utf8(path) + "," + std::to_string(index));
        UniqueIcon ours(ExtractIconAtSize(path, index, 32));
        UniqueIcon platform(::ExtractIconW(nullptr, path.c_str(), static_cast<UINT>(index)));
        ASSERT_EQ(!ours, !platform);
        if (platform) {
            EXPECT_EQ(PixelsOf(ours.Get()), PixelsOf(platform.Get()));
        }
    }
}

// More icons than the grid's images hold: after every cell was drawn once,
// scrolled anywhere, each cell shows the platform's icon of its own index,
// and the images held stay fewer than the icons.
TEST_F(IconListingTest, ScrolledGridShowsThePlatformsIconAtEachIndex) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    const int count = 1500;
    const std::wstring path = Write(L"scrolled.dll", test::IconLibrary(std::vector<test::GroupSpec>(count, {L"", {{32, 8}}})));
    Open(path);
    HWND grid = TheIconPicker()->Control(IconPicker::kIconGrid);
    ASSERT_EQ(ListView_GetItemCount(grid), count);
    for (int at = 0; at < count; at += 8) {  // down the whole grid
        ListView_EnsureVisible(grid, at, FALSE);
        ::UpdateWindow(grid);
    }
    HIMAGELIST listed = ListView_GetImageList(grid, LVSIL_NORMAL);
    EXPECT_LT(::ImageList_GetImageCount(listed), count);
    UniqueImageList reference(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 16));
    for (int at : {0, count / 2, count - 1, 7, count / 3}) {
        ListView_EnsureVisible(grid, at, FALSE);
        test::Pump();
        for (int i = std::max(at - 3, 0); i <= std::min(at + 3, count - 1); ++i) {
            SCOPED_TRACE(i);
            LVITEMW item{};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            ASSERT_TRUE(ListView_GetItem(grid, &item));
            UniqueIcon extracted(::ExtractIconW(nullptr, path.c_str(), static_cast<UINT>(i)));
            const int k = ::ImageList_AddIcon(reference.Get(), extracted.Get());
            ASSERT_GE(k, 0);
            EXPECT_EQ(ListImage(listed, item.iImage), ListImage(reference.Get(), k));
        }
    }
}

// A listed file replaced since its listing: a click reads the new file
// through the checks, never the old one's places in the new bytes.
TEST_F(IconListingTest, ClickOnAFileReplacedSinceItsListingReadsItAfresh) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    const struct { std::wstring name; test::Bytes listed, then; int item; } files[] = {
        {L"replaced.dll", test::IconLibrary(test::MixedGroups()), test::IconLibrary({{L"", {{32, 4}}}, {L"", {{32, 24}}}}), 1},
        {L"replaced.ico", test::IcoFile({{32, 32}}, 1), test::IcoFile({{32, 8}}, 2), 0},
    };
    for (const auto& file : files) {
        const std::wstring path = Write(file.name, file.listed), other = Write(L"other" + file.name, file.then);
        Open(path);
        test::ClickIconGridItem(file.item);
        ASSERT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Handle());
        ASSERT_TRUE(::CopyFileW(other.c_str(), path.c_str(), FALSE));
        test::ClickIconGridItem(file.item);
        UniqueIcon extracted(::ExtractIconW(nullptr, other.c_str(), static_cast<UINT>(file.item)));
        EXPECT_EQ(PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()), PixelsOf(extracted.Get()));
    }
}

// A file type whose icon is the file's own ("%1", as a screen saver's is on
// Windows) shows its icon through the checked reader: a damaged one never
// reaches the shell's extraction.
TEST_F(IconListingTest, AssociatedIconOfAFileWithItsOwnIconIsReadThroughTheChecks) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    HKEY classes = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, classes), ERROR_SUCCESS);
    test::SetString(HKEY_CLASSES_ROOT, L".scr", L"", L"scrfile");
    test::SetString(HKEY_CLASSES_ROOT, L"scrfile\\DefaultIcon", L"", L"%1");
    SetFileDialogAnswerer([this](bool, FileDialogState& state) {
        state.fileName = next_;
        state.filterIndex = 4;  // all files: a screen saver shows its associated icon
        return true;
    });
    const auto damaged = test::DamagedLibraries();
    for (const char* what : {"subdirectory offset 0xFFFFFFF0", "group image count 0xFFFF"}) {
        SCOPED_TRACE(what);
        const auto found = std::find_if(damaged.begin(), damaged.end(), [&](const auto& d) { return d.what == what; });
        ASSERT_NE(found, damaged.end());
        boxes_.clear();
        Open(Write(L"damaged.scr", found->bytes));
        EXPECT_TRUE(boxes_.empty());
        EXPECT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Empty());
    }
    const std::wstring good = Write(L"good.scr", test::IconLibrary(test::MixedGroups()));
    Open(good);
    const std::wstring asLibrary = Write(L"good.dll", test::IconLibrary(test::MixedGroups()));
    UniqueIcon extracted(::ExtractIconW(nullptr, asLibrary.c_str(), 0));
    EXPECT_EQ(PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()), PixelsOf(extracted.Get()));
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    ::RegCloseKey(classes);
}

// Only what the platform may take long to make waits for a thread: ordinary
// icons are made at once, as the rest of these tests see them.
TEST(SlowToMake, PngImagesOfManyPixelsAndImagesOfManyBytes) {
    const auto png = [](std::uint32_t width, std::uint32_t height) {
        test::Bytes b = test::BandedPngBytes(8, 8, 1, 0);  // IHDR's width at 16, height at 20, big-endian
        for (int i = 0; i < 4; ++i) {
            b[static_cast<std::size_t>(16 + i)] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
            b[static_cast<std::size_t>(20 + i)] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
        }
        return b;
    };
    const test::Bytes large = png(4096, 4096);
    const struct {
        test::Bytes image;
        bool slow;
    } table[] = {
        {png(1024, 1024), false},
        {png(1024, 1025), true},
        {png(2048, 512), false},
        {png(0x10000, 0x10000), true},  // 2^32 pixels
        {test::Bytes(large.begin(), large.begin() + 23), false},  // no whole IHDR
        {test::ImageBytes({.width = 256, .height = 256}), false},
        {test::Bytes(kSlowBytes, 0), false},
        {test::Bytes(kSlowBytes + 1, 0), true},
    };
    for (const auto& row : table)
        EXPECT_EQ(SlowToMake({row.image.data(), row.image.size()}), row.slow) << row.image.size() << " bytes";
}

// What the icon maker posts back: the icon the platform makes of the whole
// image, and nothing asked for before Forget, even while it was being made.
TEST(IconMaker, HandsBackTheWholeImagesIconAndNothingForgotten) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const test::Bytes forgotten = test::BandedPngBytes(4096, 4096, 4, 1), plain = test::ImageBytes({.seed = 3});
    IconMaker maker(window, WM_APP);
    maker.Ask({forgotten.data(), forgotten.size()}, 32, 1);
    ::Sleep(100);
    maker.Forget();
    maker.Ask({plain.data(), plain.size()}, 32, 2);
    std::vector<IconMaker::Made> made;
    MSG msg;
    for (const DWORD start = ::GetTickCount(); made.empty() && ::GetTickCount() - start < 30000; ::Sleep(10))
        if (::PeekMessageW(&msg, window, WM_APP, WM_APP, PM_REMOVE)) made = maker.Take();
    UniqueIcon platform(ExecutableIcons::Make({plain.data(), plain.size()}, 32, 32));
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].key, 2u);
    EXPECT_EQ(PixelsOf(made[0].icon.Get()), PixelsOf(platform.Get()));
    ::DestroyWindow(window);
}

// Every cell of the grid, and the chosen icon (of an even index), as the
// platform's icons of a library whose groups name `images` images in turn.
void ExpectEveryCellAndTheChosenIcon(const std::wstring& path, const IconPixels& chosen, int images = 1) {
    UniqueImageList reference(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1));
    std::vector<IconPixels> want;
    for (int i = 0; i < images; ++i) {
        UniqueIcon platform(::ExtractIconW(nullptr, path.c_str(), static_cast<UINT>(i)));
        ASSERT_TRUE(platform);
        want.push_back(ListImage(reference.Get(), ::ImageList_AddIcon(reference.Get(), platform.Get())));
        if (i == 0) {
            EXPECT_EQ(chosen, PixelsOf(platform.Get()));
        }
    }
    HIMAGELIST listed = ListView_GetImageList(TheIconPicker()->Control(IconPicker::kIconGrid), LVSIL_NORMAL);
    ASSERT_EQ(TheIconPicker()->IconGridCount(), 64);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(ListImage(listed, i), want[static_cast<std::size_t>(i % images)]) << "icon " << i;
}

// A library whose 64 groups all name one 8192 x 8192 PNG image, which the
// platform takes seconds to make into an icon: the window answers all the
// while, a click meanwhile shows that icon once it is there, and every cell
// ends up with the platform's icon. A listing after it waits for nothing
// of it.
TEST_F(IconListingTest, ALargeImageIsMadeWhileTheWindowAnswers) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    const auto library = [&](const wchar_t* name, int side, int seed, int images = 1) {
        std::vector<test::Bytes> pngs;
        for (int i = 0; i < images; ++i) pngs.push_back(test::BandedPngBytes(side, side, 8, seed + i));
        return Write(name, test::LibraryOf(test::GroupsOfImages(pngs, 64)));
    };
    const std::wstring large = library(L"large.dll", 8192, 1);
    test::AnswerProbe probe(TheIconPicker()->Handle(), 1500);
    Open(large, false);
    EXPECT_TRUE(TheIconPicker()->MakingIcons());
    ::SendMessageW(TheIconPicker()->Handle(), WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_APPSTARTING));  // the window answers meanwhile
    test::ClickIconGridItem(5, false);
    EXPECT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Empty());
    test::PumpUntilIconsMade();
    probe.Stop();
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::SendMessageW(TheIconPicker()->Handle(), WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(::GetCursor(), ::LoadCursorW(nullptr, IDC_APPSTARTING));  // nothing left to make
    std::printf("the picker answered within %lu ms while the image was made\n", probe.Longest());
    EXPECT_EQ(probe.Unanswered(), 0);
    ExpectEveryCellAndTheChosenIcon(large, PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()));

    // The large image is still being made when another library is listed.
    Open(library(L"large2.dll", 8192, 2), false);
    test::ClickIconGridItem(5, false);
    const std::wstring other = library(L"other.dll", 2048, 3, 2);  // two images awaited at once
    Open(other);
    EXPECT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Empty());
    test::ClickIconGridItem(6);
    ExpectEveryCellAndTheChosenIcon(other, PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()), 2);
    // Images without alpha in the places that held ones with it.
    const std::wstring plain = Write(L"plain.dll", test::LibraryOf(test::OneGroupPerImage(std::vector<test::ImageRecipe>(8, {.alpha = 0}))));
    Open(plain);
    test::ExpectListedAsThePlatform(plain);
}

}  // namespace
}  // namespace orbelune
