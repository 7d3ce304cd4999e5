#include "platform/icon_image.h"

#include "support/failure_matchers.h"
#include "support/gui.h"
#include "support/icon_library.h"
#include "ui/image_box.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cwctype>

namespace orbelune {
namespace {

using test::FailureOf;

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
    test::WriteFileBytes(path, test::IcoFile({{16, 32}, {48, 32}, {32, 32}, {24, 32}}, 1));
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

    // A large file of another kind is refused from its header.
    std::vector<unsigned char> big(20 * 1024 * 1024, 0);
    big[2] = 1;
    big[4] = 1;
    const std::wstring bad = folder.File(L"bad.ico");
    using Refusal = std::pair<std::vector<unsigned char>, std::wstring>;
    for (const auto& [bytes, message] : {Refusal{{0, 0, 3, 0, 1, 0}, L"アイコンイメージが不正です"},
                                        Refusal{{0, 0}, L"ストリームからの読み込みエラー"},
                                        Refusal{big, L"アイコンイメージが不正です"}}) {
        test::WriteFileBytes(bad, bytes);
        EXPECT_EQ(FailureOf([&] { icon.LoadFromFile(bad); }), message);
    }
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

// A whole 32 x 32 image whose entry states a byte more than the file
// holds, 64 MiB and more, up to nearly 4 GiB in sparse files of 2 and 4 GiB:
// read as the platform reads it, as far as the image needs, the heap left
// whole, whatever the build's address size.
TEST(IconImage, EntryLongerThanItsImageIsReadAsFarAsTheImageNeeds) {
    test::TempFolder folder;
    const std::wstring path = folder.File(L"long.ico");
    const std::vector<unsigned char> whole = test::IconFileBytes(32, RGB(1, 2, 3));
    const auto image = static_cast<std::uint32_t>(whole.size() - 22);
    const struct {
        std::uint32_t stated;
        std::uint64_t fileSize;
    } cases[] = {{image + 1, whole.size()},
                 {image + 4096, whole.size()},
                 {(64u << 20) + 1, 64ull << 20},
                 {0x7FFFFFF0, 2ull << 30},
                 {0xFFFFFFF0, (4ull << 30) + 64}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stated);
        std::vector<unsigned char> head = whole;
        for (int i = 0; i < 4; ++i) head[14 + i] = static_cast<unsigned char>(c.stated >> (8 * i));  // the image at 22
        test::WriteSparseFile(path, head, c.fileSize);
        IconImage icon;
        EXPECT_EQ(FailureOf([&] { icon.LoadFromFile(path); }), L"(no failure)");
        ASSERT_TRUE(icon.FileBytes());
        EXPECT_EQ(*icon.FileBytes(), whole);  // the image as a file of its own
        EXPECT_EQ(IconSizeOf(icon.Handle()).cx, 32);
        EXPECT_EQ(_heapchk(), _HEAPOK);
        ::DeleteFileW(path.c_str());
    }
}

}  // namespace
}  // namespace orbelune
