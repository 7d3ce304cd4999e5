#include "icon/ico_writer.h"

#include "icon/ico_layout.h"
#include "platform/handle.h"
#include "platform/icon_image.h"
#include "support/failure_matchers.h"
#include "support/gui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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

    EXPECT_EQ(BitCountOfDepth(IconDepth::Mask), 1);
    EXPECT_EQ(BitCountOfDepth(IconDepth::Colors16), 4);
    EXPECT_EQ(BitCountOfDepth(IconDepth::Colors256), 8);
    EXPECT_EQ(BitCountOfDepth(IconDepth::High), 16);
    EXPECT_EQ(BitCountOfDepth(IconDepth::Own), 0);
}

// A saved file is written beside its target under a free name of its own,
// the first of up to 100, and takes the target's place when committed.
TEST(ReplacingFile, WrittenBesideTheTargetUnderAFreeName) {
    test::TempFolder folder;
    const std::wstring target = folder.File(L"icon.ico");
    const auto temporaries = [&] {
        std::vector<std::wstring> names = test::FolderContents(folder.Path());
        std::erase_if(names, [](const std::wstring& name) { return name.rfind(L"~orbelune-", 0) != 0; });
        return names;
    };
    std::wstring name;
    {
        ReplacingFileStream file(target);
        ASSERT_EQ(temporaries().size(), 1u);
        name = temporaries()[0];
        file.Write("x", 1);
        file.Commit();
    }
    EXPECT_EQ(test::ReadFileBytes(target), std::vector<unsigned char>{'x'});
    EXPECT_TRUE(temporaries().empty());
    // The next 100 names taken: no file is made; the one after them is free.
    const std::wstring stem = name.substr(0, name.rfind(L'-') + 1);
    const unsigned next = static_cast<unsigned>(std::stoul(name.substr(stem.size()))) + 1;
    for (unsigned n = next; n < next + 100; ++n) test::WriteFileBytes(folder.File(stem + std::to_wstring(n) + L".tmp"), {});
    EXPECT_EQ(test::FailureOf([&] { ReplacingFileStream file(target); }), L"ファイル " + target + L" を作成できません");
    {
        ReplacingFileStream file(target);
        EXPECT_EQ(temporaries().size(), 101u);
    }
    // A target named relative to the current folder, with or without its
    // drive: the new file beside it all the same.
    wchar_t current[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, current);
    ::SetCurrentDirectoryW(folder.Path().c_str());
    for (const std::wstring& relative : {std::wstring(L"relative.ico"), folder.Path().substr(0, 2) + L"drive.ico"}) {
        ReplacingFileStream file(relative);
        EXPECT_EQ(temporaries().size(), 101u) << test::Utf8(relative);
    }
    ::SetCurrentDirectoryW(current);
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

// A 32 x 32 icon image as a resource holds it: red above, blue below, and
// an 8 x 8 corner at the upper left that the mask makes transparent (black
// in the colour image, as icons have it). Without alpha it is a 24-bit
// image; with alpha a 32-bit one whose right quarter is half transparent.
constexpr int kSide = 32;
constexpr int kCorner = 8;

bool InCorner(int x, int yFromTop) { return x < kCorner && yFromTop < kCorner; }
COLORREF ColourAt(int x, int yFromTop) {
    if (InCorner(x, yFromTop)) return RGB(0, 0, 0);
    return yFromTop < kSide / 2 ? RGB(255, 0, 0) : RGB(0, 0, 255);
}
std::uint8_t AlphaAt(int x, int yFromTop) { return InCorner(x, yFromTop) ? 0 : x >= 24 ? 128 : 255; }

std::vector<std::uint8_t> MaskedImage(bool withAlpha) {
    const int bits = withAlpha ? 32 : 24;
    BITMAPINFOHEADER h{sizeof h, kSide, 2 * kSide, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> image(sizeof h);
    std::memcpy(image.data(), &h, sizeof h);
    for (int row = 0; row < kSide; ++row) {  // bottom row first
        const int y = kSide - 1 - row;
        for (int x = 0; x < kSide; ++x) {
            const COLORREF c = ColourAt(x, y);
            image.insert(image.end(), {GetBValue(c), GetGValue(c), GetRValue(c)});
            if (withAlpha) image.push_back(AlphaAt(x, y));
        }
    }
    for (int row = 0; row < kSide; ++row) {
        const int y = kSide - 1 - row;
        image.insert(image.end(), {std::uint8_t(y < kCorner ? 0xFF : 0), 0, 0, 0});
    }
    return image;
}

UniqueIcon MaskedIcon(bool withAlpha) {
    auto image = MaskedImage(withAlpha);
    return UniqueIcon(::CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                                 kSide, kSide, LR_DEFAULTCOLOR));
}

// What the platform reads back from an icon: its colour image at 32 bits and
// its mask at 1 bit, both top row first.
struct IconPixels {
    std::vector<std::uint8_t> colour;  // BGRA
    std::vector<std::uint8_t> mask;    // 4 bytes a row
};

IconPixels PixelsOf(HICON icon) {
    IconPixels pixels;
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return pixels;
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    UniqueDc dc(::CreateCompatibleDC(nullptr));
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD table[2];
    } bmi{};
    bmi.h = {sizeof bmi.h, kSide, -kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    pixels.colour.resize(kSide * kSide * 4);
    if (!::GetDIBits(dc.Get(), colour.Get(), 0, kSide, pixels.colour.data(), reinterpret_cast<BITMAPINFO*>(&bmi),
                     DIB_RGB_COLORS))
        pixels.colour.clear();
    bmi.h = {sizeof bmi.h, kSide, -kSide, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    pixels.mask.resize(kSide * 4);
    if (!::GetDIBits(dc.Get(), mask.Get(), 0, kSide, pixels.mask.data(), reinterpret_cast<BITMAPINFO*>(&bmi),
                     DIB_RGB_COLORS))
        pixels.mask.clear();
    return pixels;
}

// The platform's own colour table for 8-bit reads of a device bitmap.
std::vector<std::uint8_t> PlatformTable256() {
    HDC screen = ::GetDC(nullptr);
    const UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, 1, 1));
    ::ReleaseDC(nullptr, screen);
    UniqueDc dc(::CreateCompatibleDC(nullptr));
    std::vector<std::uint8_t> info(40 + 1024);
    BITMAPINFOHEADER h{40, 1, 1, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(info.data(), &h, 40);
    std::uint8_t pixel[4] = {};
    ::GetDIBits(dc.Get(), bitmap.Get(), 0, 1, pixel, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    return std::vector<std::uint8_t>(info.begin() + 40, info.end());
}

// The Linux programs other users open icons with: Pillow and ImageMagick,
// each asked for the file's first image as 32 x 32 RGBA bytes.
std::string UnixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const FARPROC proc = ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(proc));
    if (!toUnix) return {};
    char* unix = toUnix(path.c_str());
    std::string result = unix ? unix : "";
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

// Runs a shell command line as a process of the system beneath Wine, which
// writes its answer to `answer`; waits for the answer (Wine gives no handle
// to such a process).
std::vector<unsigned char> RunUnix(const std::string& command, const std::wstring& answer) {
    const std::string line = "/bin/sh -c \"" + command + " > '" + UnixPath(answer) + ".part' && mv '" +
                             UnixPath(answer) + ".part' '" + UnixPath(answer) + "'\"";
    std::wstring wide(line.begin(), line.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(L"/bin/sh", wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return {};
    if (process.hProcess) ::CloseHandle(process.hProcess);
    if (process.hThread) ::CloseHandle(process.hThread);
    for (int waited = 0; waited < 600 && ::GetFileAttributesW(answer.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
        ::Sleep(50);
    return test::ReadFileBytes(answer);
}

class IcoWriterTest : public testing::Test {
protected:
    // An icon made from a 32-bit image of one colour, as the shell gives them.
    static UniqueIcon MakeIcon(int size, COLORREF colour) {
        auto file = test::IconFileBytes(size, colour);
        return UniqueIcon(::CreateIconFromResourceEx(file.data() + 22, static_cast<DWORD>(file.size() - 22), TRUE,
                                                     0x00030000, 0, 0, LR_DEFAULTCOLOR));
    }
    std::vector<std::uint8_t> Save(HICON icon, IconDepth depth) {
        MemoryStream stream;
        SaveToStream(stream, icon, depth, user_);
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

    // The writer's reports, recorded.
    test::RecordingPrompts user_;
    std::vector<test::RecordedBox>& boxes_ = user_.boxes;
};

TEST_F(IcoWriterTest, WorkedExampleAt256Colours) {
    const UniqueIcon icon = MaskedIcon(false);
    ASSERT_TRUE(icon);
    const auto file = Save(icon.Get(), IconDepth::Colors256);
    ASSERT_EQ(file.size(), 2238u);
    const auto table = PlatformTable256();
    const auto indexOf = [&](COLORREF c) {
        for (std::size_t i = 0; i < 256; ++i)
            if (table[4 * i] == GetBValue(c) && table[4 * i + 1] == GetGValue(c) && table[4 * i + 2] == GetRValue(c))
                return static_cast<std::uint8_t>(i);
        ADD_FAILURE() << "colour not in the table";
        return std::uint8_t{0};
    };

    std::vector<std::uint8_t> expected = {0, 0, 1, 0, 1, 0, 0x20, 0x20, 8, 0, 0, 0, 0, 0, 0xA8, 8, 0, 0, 0x16, 0, 0, 0};
    const BITMAPINFOHEADER header{40, 32, 64, 1, 8, BI_RGB, 1024, 0, 0, 0, 0};
    const auto* h = reinterpret_cast<const std::uint8_t*>(&header);
    expected.insert(expected.end(), h, h + 40);
    expected.insert(expected.end(), table.begin(), table.end());
    for (int row = 0; row < kSide; ++row)  // bottom row first
        for (int x = 0; x < kSide; ++x) expected.push_back(indexOf(ColourAt(x, kSide - 1 - row)));
    for (int row = 0; row < kSide; ++row)
        expected.insert(expected.end(), {std::uint8_t(kSide - 1 - row < kCorner ? 0xFF : 0), 0, 0, 0});
    ASSERT_EQ(expected.size(), file.size());
    const auto firstDifference = std::mismatch(file.begin(), file.end(), expected.begin()).first - file.begin();
    EXPECT_EQ(firstDifference, static_cast<std::ptrdiff_t>(file.size()));  // header 22, table 62, rows 1086, mask 2110
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(IcoWriterTest, EveryDepthWritesAFileThatLoadsBack) {
    const UniqueIcon icon = MakeIcon(32, RGB(255, 0, 0));
    ASSERT_TRUE(icon);
    test::TempFolder folder;
    const struct {
        IconDepth depth;
        unsigned bits;
        std::size_t length;
    } cases[] = {{IconDepth::Colors16, 4, 766},
                 {IconDepth::Colors256, 8, 2238},
                 {IconDepth::High, 16, 2238},
                 {IconDepth::Own, 32, 4286}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "bit count " << c.bits);
        const auto file = Save(icon.Get(), c.depth);
        ASSERT_EQ(file.size(), c.length);
        EXPECT_EQ(Word(file, 8), c.bits);                   // the entry's bit count
        EXPECT_EQ(Dword(file, 14), c.length - 22);          // image size
        EXPECT_EQ(Word(file, 36), c.bits);                  // biBitCount
        EXPECT_EQ(Dword(file, 38), 0u);                     // no colour masks at 16 bits either
        const COLORREF drawn = DrawnColour(file, folder.File(L"d" + std::to_wstring(c.bits) + L".ico"));
        EXPECT_GE(GetRValue(drawn), 240);
        EXPECT_LE(GetGValue(drawn), 8);
        EXPECT_LE(GetBValue(drawn), 8);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(IcoWriterTest, EveryDepthKeepsTheMaskAndTheOpaqueColours) {
    const UniqueIcon icon = MaskedIcon(false);
    ASSERT_TRUE(icon);
    test::TempFolder folder;
    for (IconDepth depth : {IconDepth::Colors16, IconDepth::Colors256, IconDepth::High, IconDepth::Own}) {
        SCOPED_TRACE(testing::Message() << "depth " << static_cast<int>(depth));
        const std::wstring path = folder.File(std::to_wstring(static_cast<int>(depth)) + L".ico");
        test::WriteFileBytes(path, Save(icon.Get(), depth));
        IconImage image;
        image.LoadFromFile(path);
        ASSERT_TRUE(image.Handle());
        const IconPixels read = PixelsOf(image.Handle());
        ASSERT_EQ(read.colour.size(), 4u * kSide * kSide);
        ASSERT_EQ(read.mask.size(), 4u * kSide);
        for (int y = 0; y < kSide; ++y) {
            EXPECT_EQ(read.mask[4 * y], y < kCorner ? 0xFF : 0) << "mask row " << y;
            EXPECT_EQ(read.mask[4 * y + 1] | read.mask[4 * y + 2] | read.mask[4 * y + 3], 0) << "mask row " << y;
            for (int x = 0; x < kSide; ++x) {
                if (InCorner(x, y)) continue;
                const std::uint8_t* p = &read.colour[4 * (y * kSide + x)];
                const COLORREF want = ColourAt(x, y);
                EXPECT_NEAR(p[2], GetRValue(want), 8) << x << "," << y;
                EXPECT_NEAR(p[1], GetGValue(want), 8) << x << "," << y;
                EXPECT_NEAR(p[0], GetBValue(want), 8) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(boxes_.empty());
}

// At its own depth an icon without alpha is written with the alpha of its
// mask, so that the readers that honour alpha show it as the platform does;
// an icon with alpha of its own keeps it.
TEST_F(IcoWriterTest, OwnDepthIconsShowTheSameTransparencyInEveryReader) {
    test::TempFolder folder;
    const std::wstring script = folder.File(L"pillow.py");
    const std::string pillow = "import sys\nfrom PIL import Image\n"
                               "sys.stdout.buffer.write(Image.open(sys.argv[1]).convert('RGBA').tobytes())\n";
    test::WriteFileBytes(script, std::vector<unsigned char>(pillow.begin(), pillow.end()));

    for (bool ownAlpha : {false, true}) {
        SCOPED_TRACE(ownAlpha ? "own alpha" : "no alpha");
        const UniqueIcon icon = MaskedIcon(ownAlpha);
        ASSERT_TRUE(icon);
        const std::wstring path = folder.File(ownAlpha ? L"alpha.ico" : L"plain.ico");
        const auto file = Save(icon.Get(), IconDepth::Own);
        ASSERT_EQ(file.size(), 4286u);
        ASSERT_EQ(Word(file, 36), 32u);
        test::WriteFileBytes(path, file);

        // The file's own alpha bytes, rows bottom first after the 40-byte header.
        const auto alphaOf = [&](int x, int y) -> std::uint8_t {
            if (!ownAlpha) return InCorner(x, y) ? 0 : 255;
            return AlphaAt(x, y);
        };
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                ASSERT_EQ(file[62 + 4 * ((kSide - 1 - y) * kSide + x) + 3], alphaOf(x, y)) << x << "," << y;

        // Pillow and ImageMagick: fully transparent in the corner, the
        // colours with their alpha elsewhere. (Pillow finds no bit count
        // where the common directory entry has it, so it takes an image's
        // transparency from the mask alone.)
        const struct {
            const char* reader;
            std::string command;
            bool readsOwnAlpha;
        } readers[] = {
            {"Pillow", "/usr/bin/python3 '" + UnixPath(script) + "' '" + UnixPath(path) + "'", false},
            {"ImageMagick", "/usr/bin/convert '" + UnixPath(path) + "[0]' -depth 8 rgba:-", true},
        };
        for (const auto& r : readers) {
            SCOPED_TRACE(r.reader);
            if (ownAlpha && !r.readsOwnAlpha) continue;
            const auto rgba = RunUnix(r.command, folder.File(std::wstring(r.reader, r.reader + std::strlen(r.reader)) +
                                                             (ownAlpha ? L"-alpha.rgba" : L"-plain.rgba")));
            ASSERT_EQ(rgba.size(), 4u * kSide * kSide);
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    const std::uint8_t* p = &rgba[4 * (y * kSide + x)];
                    ASSERT_EQ(p[3], alphaOf(x, y)) << x << "," << y;
                    if (InCorner(x, y)) continue;
                    const COLORREF want = ColourAt(x, y);
                    ASSERT_EQ(RGB(p[0], p[1], p[2]), want) << x << "," << y;
                }
            }
        }
    }

    // The platform draws the corner as the background and the rest in colour.
    const std::wstring plain = folder.File(L"plain.ico");
    HDC screen = ::GetDC(nullptr);
    UniqueDc dc(::CreateCompatibleDC(screen));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, kSide, kSide));
    ::ReleaseDC(nullptr, screen);
    ScopedSelect select(dc.Get(), bitmap.Get());
    const RECT all{0, 0, kSide, kSide};
    UniqueBrush green(::CreateSolidBrush(RGB(0, 255, 0)));
    ::FillRect(dc.Get(), &all, green.Get());
    IconImage image;
    image.LoadFromFile(plain);
    image.Draw(dc.Get(), 0, 0);
    EXPECT_EQ(::GetPixel(dc.Get(), 2, 2), RGB(0, 255, 0));
    EXPECT_EQ(::GetPixel(dc.Get(), 16, 4), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(dc.Get(), 16, 28), RGB(0, 0, 255));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(IcoWriterTest, SizeBytesOfLargeIcons) {
    for (auto [size, byte] : {std::pair{48, 0x30}, std::pair{256, 0}, std::pair{16, 0x10}}) {
        const UniqueIcon icon = MakeIcon(size, RGB(0, 0, 255));
        ASSERT_TRUE(icon);
        const auto file = Save(icon.Get(), IconDepth::Colors16);
        ASSERT_GT(file.size(), 22u);
        EXPECT_EQ(file[6], byte);
        EXPECT_EQ(file[7], byte);
        EXPECT_EQ(Dword(file, 30), static_cast<std::uint32_t>(2 * size));
        const std::uint32_t mask = static_cast<std::uint32_t>(RowSize(size, 1) * size);
        EXPECT_EQ(file.size(), 22u + 104u + static_cast<std::uint32_t>(RowSize(size, 4) * size) + mask);
    }
}

TEST_F(IcoWriterTest, UnusableIconsAreReportedAndNothingIsWritten) {
    EXPECT_TRUE(Save(reinterpret_cast<HICON>(static_cast<INT_PTR>(0x7777)), IconDepth::Colors256).empty());
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
        EXPECT_TRUE(Save(mono.Get(), IconDepth::Colors256).empty());
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

// The platform refuses to read a DIB section whose colour masks stay in the
// header at 4 or 8 bits per pixel: such a read ends the write with "Invalid
// Bitmap", and the file is never made.
TEST_F(IcoWriterTest, APixelReadTheSystemRefusesWritesNoFile) {
    const UniqueIcon icon = MaskedIcon(false);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon.Get(), &info));
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    const DibSection masked(32, 32, 32, BI_BITFIELDS, 0);
    ASSERT_TRUE(masked.Get());

    test::TempFolder folder;
    const struct {
        const char* what;
        HBITMAP colour;
        HBITMAP mask;
        IconDepth depth;
    } cases[] = {
        {"colour at 16 colours", masked.Get(), mask.Get(), IconDepth::Colors16},
        {"colour at 256 colours", masked.Get(), mask.Get(), IconDepth::Colors256},
        {"mask", colour.Get(), masked.Get(), IconDepth::High},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.clear();
        const std::wstring path = folder.File(L"icon.ico");
        {
            ReplacingFileStream file(path);
            EXPECT_FALSE(SaveBitmapsToStream(file, c.colour, c.mask, c.depth, user_));
        }
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Information);
        EXPECT_EQ(boxes_[0].text, L"Invalid Bitmap");
        EXPECT_TRUE(test::FolderContents(folder.Path()).empty());  // neither the file nor the one written beside it
    }
    // The same bitmaps read as they can be make a file.
    const std::wstring path = folder.File(L"good.ico");
    {
        ReplacingFileStream file(path);
        ASSERT_TRUE(SaveBitmapsToStream(file, colour.Get(), mask.Get(), IconDepth::Colors16, user_));
        file.Commit();
    }
    EXPECT_EQ(test::ReadFileBytes(path).size(), 766u);

    // Made read-only while the new file is written: it stays as it was, and
    // the new file goes.
    const auto before = test::ReadFileBytes(path);
    {
        ReplacingFileStream file(path);
        ASSERT_TRUE(SaveBitmapsToStream(file, colour.Get(), mask.Get(), IconDepth::Colors256, user_));
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(test::FailureOf([&] { file.Commit(); }), L"ファイル " + path + L" を作成できません");
    }
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(test::FolderContents(folder.Path()), std::vector<std::wstring>{L"good.ico"});  // no new file left
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(IcoWriterTest, HeadersOfDibSectionsAndDeviceBitmaps) {
    std::uint32_t header = 0, image = 0;

    const DibSection masked(32, 32, 32, BI_BITFIELDS, 0);
    ASSERT_TRUE(masked.Get());
    ASSERT_TRUE(GetDIBSizes(masked.Get(), header, image, IconDepth::Own, user_));
    EXPECT_EQ(header, 52u);
    EXPECT_EQ(image, 4096u);

    const DibSection topDown(20, -10, 24, BI_RGB, 0);
    ASSERT_TRUE(GetDIBSizes(topDown.Get(), header, image, IconDepth::Colors16, user_));
    EXPECT_EQ(header, 104u);
    EXPECT_EQ(image, 12u * 10u);  // from the height's absolute value

    // An image size taken over from the bitmap stays at its own bit count,
    // and is worked out again at another one (else it would not hold the
    // pixels read).
    const DibSection sized(32, 32, 8, BI_RGB, 1024);
    ASSERT_TRUE(GetDIBSizes(sized.Get(), header, image, IconDepth::Colors256, user_));
    EXPECT_EQ(image, 1024u);
    ASSERT_TRUE(GetDIBSizes(sized.Get(), header, image, IconDepth::High, user_));
    EXPECT_EQ(image, 2048u);

    HDC screen = ::GetDC(nullptr);
    const UniqueBitmap device(::CreateCompatibleBitmap(screen, 20, 7));
    ::ReleaseDC(nullptr, screen);
    BITMAPINFOHEADER h{};
    ASSERT_TRUE(InitializeBitmapInfoHeader(device.Get(), h, IconDepth::Colors16, user_));
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
