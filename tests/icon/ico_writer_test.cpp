#include "icon/ico_writer.h"

#include "icon/ico_layout.h"
#include "platform/handle.h"
#include "platform/icon_image.h"
#include "support/gui.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orbelune {
namespace {

TEST(IcoLayout, RowAndHeaderSizes) {
    EXPECT_EQ(RowSize(32, 1), 4);
    EXPECT_EQ(RowSize(32, 4), 16);
    EXPECT_EQ(RowSize(32, 8), 32);
    EXPECT_EQ(RowSize(32, 16), 64);
    EXPECT_EQ(RowSize(32, 24), 96);
    EXPECT_EQ(RowSize(20, 4), 12);  // filled up to 4 bytes
    EXPECT_EQ(RowSize(20, 1), 4);
    EXPECT_EQ(RowSize(48, 24), 144);

    EXPECT_EQ(DibHeaderSize(1, 0), 48u);
    EXPECT_EQ(DibHeaderSize(4, 0), 104u);
    EXPECT_EQ(DibHeaderSize(8, 0), 1064u);
    EXPECT_EQ(DibHeaderSize(0, 0), 44u);
    EXPECT_EQ(DibHeaderSize(16, 0), 40u);
    EXPECT_EQ(DibHeaderSize(24, 0), 40u);
    EXPECT_EQ(DibHeaderSize(32, 3), 52u);  // room for three colour masks
    EXPECT_EQ(DibHeaderSize(16, 4), 40u);

    EXPECT_EQ(BitCountOfDepth(2), 1);
    EXPECT_EQ(BitCountOfDepth(16), 4);
    EXPECT_EQ(BitCountOfDepth(256), 8);
    EXPECT_EQ(BitCountOfDepth(65536), 16);
    EXPECT_EQ(BitCountOfDepth(0), 0);
    EXPECT_EQ(BitCountOfDepth(7), 0);
}

TEST(IcoLayout, DirectoryEntryIsNotTheCommonOne) {
    std::uint8_t entry[16];
    FillIcoDirectoryEntry(entry, 32, 32, 1, 8, 2216);
    const std::uint8_t expected[16] = {0x20, 0x20, 0x08, 0, 0, 0, 0, 0, 0xA8, 0x08, 0, 0, 0x16, 0, 0, 0};
    EXPECT_EQ(std::memcmp(entry, expected, 16), 0);
    FillIcoDirectoryEntry(entry, 256, 256, 1, 32, 1);
    EXPECT_EQ(entry[0], 0);
    EXPECT_EQ(entry[1], 0);
    FillIcoDirectoryEntry(entry, 48, 48, 1, 4, 1);
    EXPECT_EQ(entry[0], 0x30);
    EXPECT_EQ(entry[2], 4);
}

class IcoWriterTest : public testing::Test {
protected:
    IcoWriterTest() {
        SetBoxAnswerer([this](BoxKind kind, const std::wstring& text) {
            boxes_.push_back({kind, text});
            return BoxResult::None;
        });
    }
    ~IcoWriterTest() override { SetBoxAnswerer(nullptr); }

    // An icon made from a 32-bit image of one colour, as the shell gives them.
    static UniqueIcon MakeIcon(int size, COLORREF colour) {
        auto file = test::IconFileBytes(size, colour);
        return UniqueIcon(::CreateIconFromResourceEx(file.data() + 22, static_cast<DWORD>(file.size() - 22), TRUE,
                                                     0x00030000, 0, 0, LR_DEFAULTCOLOR));
    }
    static std::vector<std::uint8_t> Save(HICON icon, int depth) {
        MemoryStream stream;
        SaveToStream(stream, icon, depth);
        return stream.bytes;
    }
    static std::uint32_t Dword(const std::vector<std::uint8_t>& b, std::size_t at) {
        std::uint32_t v;
        std::memcpy(&v, b.data() + at, 4);
        return v;
    }
    static std::uint16_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
        std::uint16_t v;
        std::memcpy(&v, b.data() + at, 2);
        return v;
    }
    // The colour of the icon's upper left pixel, drawn back from the file.
    static COLORREF DrawnColour(const std::vector<std::uint8_t>& file, const std::wstring& path) {
        test::WriteFileBytes(path, file);
        IconImage image;
        image.LoadFromFile(path);
        if (!image.Handle()) return CLR_INVALID;
        HDC screen = ::GetDC(nullptr);
        UniqueDc dc(::CreateCompatibleDC(screen));
        UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, 64, 64));
        ::ReleaseDC(nullptr, screen);
        ScopedSelect select(dc.Get(), bitmap.Get());
        image.Draw(dc.Get(), 0, 0);
        return ::GetPixel(dc.Get(), 2, 2);
    }

    std::vector<test::RecordedBox> boxes_;
};

TEST_F(IcoWriterTest, WorkedExampleAt256Colours) {
    const UniqueIcon icon = MakeIcon(32, RGB(255, 0, 0));
    ASSERT_TRUE(icon);
    const auto file = Save(icon.Get(), 256);
    ASSERT_EQ(file.size(), 2238u);
    const std::vector<std::uint8_t> head = {0, 0, 1, 0, 1, 0, 0x20, 0x20, 8, 0, 0, 0, 0, 0, 0xA8, 8, 0, 0, 0x16, 0, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 22), head);
    EXPECT_EQ(Dword(file, 22), 40u);              // biSize
    EXPECT_EQ(Dword(file, 26), 32u);              // biWidth
    EXPECT_EQ(Dword(file, 30), 64u);              // biHeight: colour and mask
    EXPECT_EQ(Word(file, 34), 1u);                // biPlanes
    EXPECT_EQ(Word(file, 36), 8u);                // biBitCount
    EXPECT_EQ(Dword(file, 38), 0u);               // biCompression
    EXPECT_EQ(Dword(file, 42), 1024u);            // biSizeImage
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(IcoWriterTest, EveryDepthWritesAFileThatLoadsBack) {
    const UniqueIcon icon = MakeIcon(32, RGB(255, 0, 0));
    ASSERT_TRUE(icon);
    test::TempFolder folder;
    const struct {
        int depth;
        unsigned bits;
        std::size_t length;
    } cases[] = {{16, 4, 766}, {256, 8, 2238}, {65536, 16, 2238}, {0, 32, 4286}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth);
        const auto file = Save(icon.Get(), c.depth);
        ASSERT_EQ(file.size(), c.length);
        EXPECT_EQ(Word(file, 8), c.bits);                   // the entry's bit count
        EXPECT_EQ(Dword(file, 14), c.length - 22);          // image size
        EXPECT_EQ(Word(file, 36), c.bits);                  // biBitCount
        EXPECT_EQ(Dword(file, 38), 0u);                     // no colour masks at 16 bits either
        const COLORREF drawn = DrawnColour(file, folder.File(L"d" + std::to_wstring(c.depth) + L".ico"));
        EXPECT_GE(GetRValue(drawn), 240);
        EXPECT_LE(GetGValue(drawn), 8);
        EXPECT_LE(GetBValue(drawn), 8);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(IcoWriterTest, SizeBytesOfLargeIcons) {
    for (auto [size, byte] : {std::pair{48, 0x30}, std::pair{256, 0}, std::pair{16, 0x10}}) {
        const UniqueIcon icon = MakeIcon(size, RGB(0, 0, 255));
        ASSERT_TRUE(icon);
        const auto file = Save(icon.Get(), 16);
        ASSERT_GT(file.size(), 22u);
        EXPECT_EQ(file[6], byte);
        EXPECT_EQ(file[7], byte);
        EXPECT_EQ(Dword(file, 30), static_cast<std::uint32_t>(2 * size));
        const std::uint32_t mask = static_cast<std::uint32_t>(RowSize(size, 1) * size);
        EXPECT_EQ(file.size(), 22u + 104u + static_cast<std::uint32_t>(RowSize(size, 4) * size) + mask);
    }
}

TEST_F(IcoWriterTest, UnusableIconsAreReportedAndNothingIsWritten) {
    EXPECT_TRUE(Save(reinterpret_cast<HICON>(static_cast<INT_PTR>(0x7777)), 256).empty());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Information);
    EXPECT_EQ(boxes_[0].text, L"ERROR - unable to retrive IconInfo");

    // A monochrome icon has no colour bitmap to describe.
    boxes_.clear();
    std::vector<BYTE> andBits(32 * 4, 0), xorBits(32 * 4, 0xFF);
    const UniqueIcon mono(::CreateIcon(nullptr, 32, 32, 1, 1, andBits.data(), xorBits.data()));
    ASSERT_TRUE(mono);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(mono.Get(), &info));
    const bool hasColour = info.hbmColor != nullptr;
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    if (!hasColour) {
        EXPECT_TRUE(Save(mono.Get(), 256).empty());
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, L"Invalid Bitmap");
    }
}

// Bitmaps described as DIB sections bring their own header.
class DibSection {
public:
    DibSection(int width, int height, int bits, DWORD compression, DWORD sizeImage) {
        struct {
            BITMAPINFOHEADER h;
            DWORD masks[3];
        } info{};
        info.h = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), compression, sizeImage, 0, 0, 0, 0};
        info.masks[0] = 0xFF0000;
        info.masks[1] = 0x00FF00;
        info.masks[2] = 0x0000FF;
        void* pixels = nullptr;
        bitmap_.Reset(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
    }
    HBITMAP Get() const { return bitmap_.Get(); }

private:
    UniqueBitmap bitmap_;
};

TEST_F(IcoWriterTest, HeadersOfDibSectionsAndDeviceBitmaps) {
    std::uint32_t header = 0, image = 0;

    const DibSection masked(32, 32, 32, BI_BITFIELDS, 0);
    ASSERT_TRUE(masked.Get());
    ASSERT_TRUE(GetDIBSizes(masked.Get(), header, image, 0));
    EXPECT_EQ(header, 52u);
    EXPECT_EQ(image, 4096u);

    const DibSection topDown(20, -10, 24, BI_RGB, 0);
    ASSERT_TRUE(GetDIBSizes(topDown.Get(), header, image, 16));
    EXPECT_EQ(header, 104u);
    EXPECT_EQ(image, 12u * 10u);  // from the height's absolute value

    // An image size taken over from the bitmap stays at its own bit count,
    // and is worked out again at another one (else it would not hold the
    // pixels read).
    const DibSection sized(32, 32, 8, BI_RGB, 1024);
    ASSERT_TRUE(GetDIBSizes(sized.Get(), header, image, 256));
    EXPECT_EQ(image, 1024u);
    ASSERT_TRUE(GetDIBSizes(sized.Get(), header, image, 65536));
    EXPECT_EQ(image, 2048u);

    HDC screen = ::GetDC(nullptr);
    const UniqueBitmap device(::CreateCompatibleBitmap(screen, 20, 7));
    ::ReleaseDC(nullptr, screen);
    BITMAPINFOHEADER h{};
    ASSERT_TRUE(InitializeBitmapInfoHeader(device.Get(), h, 16));
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 20);
    EXPECT_EQ(h.biHeight, 7);
    EXPECT_EQ(h.biBitCount, 4);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biSizeImage, 12u * 7u);
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace orbelune
