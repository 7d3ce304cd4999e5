#include "platform/icon_image.h"

#include "support/failure_matchers.h"
#include "support/gui.h"
#include "ui/image_box.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cwctype>

namespace orbelune {
namespace {

using test::FailureOf;

// A file holding several images, each made as IconFileBytes makes one.
std::vector<unsigned char> MultiImageFile(const std::vector<int>& sizes) {
    std::vector<std::vector<unsigned char>> singles;
    for (int s : sizes) singles.push_back(test::IconFileBytes(s, RGB(s, 0, 0)));
    std::vector<unsigned char> file = {0, 0, 1, 0, static_cast<unsigned char>(sizes.size()), 0};
    std::size_t offset = 6 + 16 * sizes.size();
    std::vector<unsigned char> images;
    for (const auto& single : singles) {
        std::vector<unsigned char> entry(single.begin() + 6, single.begin() + 22);
        const std::size_t size = single.size() - 22;
        for (int i = 0; i < 4; ++i) entry[12 + i] = static_cast<unsigned char>((offset >> (8 * i)) & 0xFF);
        file.insert(file.end(), entry.begin(), entry.end());
        images.insert(images.end(), single.begin() + 22, single.end());
        offset += size;
    }
    file.insert(file.end(), images.begin(), images.end());
    return file;
}

TEST(IconImage, LoadsAFileAndMakesItsHandleAtItsOwnSize) {
    test::TempFolder folder;
    const std::wstring small = folder.File(L"小さい.ico");
    test::WriteFileBytes(small, test::IconFileBytes(16, RGB(0, 0, 255)));
    IconImage icon;
    EXPECT_TRUE(icon.Empty());
    icon.LoadFromFile(small);
    EXPECT_FALSE(icon.Empty());
    ASSERT_TRUE(icon.Handle());
    EXPECT_EQ(icon.Handle(), icon.Handle());  // made once
    const SIZE size = IconSizeOf(icon.Handle());
    EXPECT_EQ(size.cx, 16);
    EXPECT_EQ(size.cy, 16);
    EXPECT_EQ(*icon.FileBytes(), test::ReadFileBytes(small));
}

TEST(IconImage, ChoosesTheImageNearestTo32) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"multi.ico");
    test::WriteFileBytes(path, MultiImageFile({16, 48, 32, 24}));
    IconImage icon;
    icon.LoadFromFile(path);
    ASSERT_TRUE(icon.Handle());
    EXPECT_EQ(IconSizeOf(icon.Handle()).cx, 32);
}

TEST(IconImage, CopiesShareTheIconAndAHandleIsOwned) {
    IconImage a;
    a.SetHandle(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
    const HICON handle = a.Handle();
    IconImage b = a;
    EXPECT_EQ(b.Handle(), handle);
    a.Clear();
    EXPECT_TRUE(a.Empty());
    EXPECT_EQ(IconSizeOf(b.Handle()).cx, 32);  // still alive through b
    b.SetHandle(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(IconImage, RefusedFilesLeaveTheObjectAsItWas) {
    test::TempFolder folder;
    const std::wstring good = folder.File(L"good.ico");
    test::WriteFileBytes(good, test::IconFileBytes(32, RGB(0, 255, 0)));
    IconImage icon;
    icon.LoadFromFile(good);
    const auto before = *icon.FileBytes();

    const std::wstring bad = folder.File(L"bad.ico");
    test::WriteFileBytes(bad, {0, 0, 3, 0, 1, 0});
    EXPECT_EQ(FailureOf([&] { icon.LoadFromFile(bad); }), L"アイコンイメージが不正です");
    test::WriteFileBytes(bad, {0, 0});
    EXPECT_EQ(FailureOf([&] { icon.LoadFromFile(bad); }), L"ストリームからの読み込みエラー");
    EXPECT_EQ(FailureOf([&] { icon.LoadFromFile(folder.File(L"absent.ico")); }),
              L"ファイル " + folder.File(L"absent.ico") + L" は開けません");
    EXPECT_EQ(FailureOf([&] { icon.LoadFromFile(folder.Path()); }), L"ファイル " + folder.Path() + L" は開けません");
    EXPECT_EQ(*icon.FileBytes(), before);
}

TEST(IconImage, LargeFileOfAnotherKindIsRefusedFromItsHeader) {
    test::TempFolder folder;
    const std::wstring big = folder.File(L"big.ico");
    std::vector<unsigned char> bytes(20 * 1024 * 1024, 0);
    bytes[2] = 1;
    bytes[4] = 1;
    test::WriteFileBytes(big, bytes);
    IconImage icon;
    EXPECT_EQ(FailureOf([&] { icon.LoadFromFile(big); }), L"アイコンイメージが不正です");
}

// Sparse files of 2 GiB and 4 GiB whose one entry, as long as the file
// allows, is nearly 2 or 4 GiB: refused with one of the program's own
// messages, the heap left whole, whatever the build's address size.
TEST(IconImage, EntryOfNearly4GiBGivesTheProgramsMessage) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"huge.ico");
    for (const std::uint64_t fileSize : {2ull << 30, (4ull << 30) + 64}) {
        SCOPED_TRACE(fileSize);
        std::vector<unsigned char> head = test::IconFileBytes(32, RGB(1, 2, 3));
        const std::uint32_t size = static_cast<std::uint32_t>(std::min<std::uint64_t>(fileSize - 22, 0xFFFFFFF0));
        for (int i = 0; i < 4; ++i) head[14 + i] = static_cast<unsigned char>(size >> (8 * i));  // the image at 22
        test::WriteSparseFile(path, head, fileSize);
        IconImage icon;
        const std::wstring message = FailureOf([&] { icon.LoadFromFile(path); });
        EXPECT_NE(message, L"(no failure)");
        EXPECT_TRUE(std::none_of(message.begin(), message.end(), [](wchar_t c) { return c < 0x80 && std::iswalpha(c); }))
            << test::Utf8(message);
        EXPECT_TRUE(icon.Empty());
        EXPECT_EQ(_heapchk(), _HEAPOK);
        ::DeleteFileW(path.c_str());
    }
}

}  // namespace
}  // namespace orbelune
