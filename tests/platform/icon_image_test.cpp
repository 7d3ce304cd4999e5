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
