// The picker's listing against the platform's extraction, file by file:
// every file the picker lists shows exactly the icons ExtractIconW gives
// (the same count, the same colour and mask pixels at every index, a blank
// cell where it gives none); every file it refuses gives its one message and
// an empty grid, and is handed to the platform only in a process of its
// own, which must die there: a file the platform reads is never refused.
#include "ui/iconpicker/icon_picker.h"

#include "app/application.h"
#include "support/icon_library.h"
#include "support/picker_listing.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace orbelune {
namespace {

using test::Bytes;
using test::ImageFormat;
using test::ImageRecipe;
using test::IconPixels;

// What the process was doing, told when it dies.
std::string doing;

LONG WINAPI TellWhatDied(EXCEPTION_POINTERS* e) {
    std::fprintf(stderr, "The test process died (exception 0x%08lX) while %s\n", e->ExceptionRecord->ExceptionCode,
                 doing.c_str());
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), e->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

enum class Expect { Listed, Refused, Either };
// The named files, by what they try.
enum class Group { ImageAtTheEnd, SixteenBit, OversizedIconFile, OddMembers, DamagedPng, Pixels, Boundaries, CoreHeaders };

struct Tally {
    int files = 0, listed = 0, refused = 0, otherBoxes = 0, icons = 0, blank = 0;
    int refusedPlatformReads = 0;  // refused, though the platform's extraction read it to its end
    int refusedBeforeView = 0;     // of those, ones it read just before its view of the file
    long long differing = 0;
};

constexpr wchar_t kProbeVariable[] = L"ORBELUNE_PROBE_FILE";

// The platform's extraction of every icon of a file in a process of its
// own (this test program, running the probe below): the number of icons it
// found, or nothing when the process died.
std::optional<int> PlatformExtractionInItsOwnProcess(const std::wstring& path) {
    std::wstring exe(MAX_PATH, L'\0');
    exe.resize(::GetModuleFileNameW(nullptr, exe.data(), MAX_PATH));
    std::wstring command = L"\"" + exe + L"\" --gtest_filter=IconDifferentialProbe.ExtractsTheFileNamedInTheEnvironment";
    ::SetEnvironmentVariableW(kProbeVariable, path.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                          nullptr, &startup, &process);
    ::SetEnvironmentVariableW(kProbeVariable, nullptr);
    if (!started) {
        ADD_FAILURE() << "cannot start the probe";
        return std::nullopt;
    }
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.hProcess, &code);
    if (code == STILL_ACTIVE) ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (code >= 0x10000) return std::nullopt;  // an exception's code
    return static_cast<int>(code);
}

LONG WINAPI EndWithTheExceptionsCode(EXCEPTION_POINTERS* e) {
    ::TerminateProcess(::GetCurrentProcess(), e->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Run by PlatformExtractionInItsOwnProcess: extracts every icon of the
// file and ends with their number, or dies with the platform's fault.
TEST(IconDifferentialProbe, ExtractsTheFileNamedInTheEnvironment) {
    const wchar_t* path = _wgetenv(kProbeVariable);
    if (!path) GTEST_SKIP() << "run by the differential test only";
    ::SetUnhandledExceptionFilter(EndWithTheExceptionsCode);
    const auto count = static_cast<int>(reinterpret_cast<INT_PTR>(::ExtractIconW(nullptr, path, UINT(-1))));
    for (int i = 0; i < count; ++i) ::DestroyIcon(::ExtractIconW(nullptr, path, static_cast<UINT>(i)));
    ::ExitProcess(static_cast<UINT>(count < 0 ? 0 : count & 0xFFFF));
}

std::size_t Differing(const IconPixels& a, const IconPixels& b) {
    std::size_t n = 0;
    for (auto [x, y] : {std::pair{&a.colour, &b.colour}, std::pair{&a.mask, &b.mask}}) {
        const std::size_t common = std::min(x->size(), y->size());
        n += std::max(x->size(), y->size()) - common;
        for (std::size_t i = 0; i < common; ++i) n += (*x)[i] != (*y)[i];
    }
    return n;
}

class IconDifferentialTest : public test::PickerListingTest {
protected:
    IconDifferentialTest() { ::SetUnhandledExceptionFilter(TellWhatDied); }

    // Lists the file in the picker and compares the grid with the platform.
    void Compare(const std::wstring& path, const std::string& label, Expect expect, Tally& tally) {
        SCOPED_TRACE(label);
        ++tally.files;
        boxes_.clear();
        doing = "listing " + label;
        Open(path);
        HWND grid = TheIconPicker()->Control(IconPicker::kIconGrid);
        if (!boxes_.empty()) {
            const bool refusal = boxes_.size() == 1 && boxes_[0].text == Refusal(path);
            ++(refusal ? tally.refused : tally.otherBoxes);
            ASSERT_EQ(boxes_.size(), 1u);
            EXPECT_EQ(boxes_[0].text, Refusal(path));
            EXPECT_EQ(ListView_GetItemCount(grid), 0);
            EXPECT_TRUE(expect != Expect::Listed) << "refused, though the platform lists it";
            if (refusal) {
                doing = "extracting the icons of the refused " + label + " in a process of its own";
                const auto platform = PlatformExtractionInItsOwnProcess(path);
                // An offset just below 4 GiB makes the platform's 32-bit
                // pointer land before its view of the file, on whatever
                // memory lies there: a read outside the file, which it may
                // survive.
                const bool beforeView = label.find("offset = 42949672") != std::string::npos ||
                                        label.find("address = 42949672") != std::string::npos;
                tally.refusedPlatformReads += platform.has_value();
                tally.refusedBeforeView += platform.has_value() && beforeView;
                EXPECT_TRUE(!platform || beforeView) << "refused, though the platform reads it (" << *platform << " icons)";
            }
            return;
        }
        ++tally.listed;
        EXPECT_TRUE(expect != Expect::Refused) << "listed, though the platform cannot list it";
        doing = "extracting the platform's icons of " + label;
        const auto count = static_cast<int>(reinterpret_cast<INT_PTR>(::ExtractIconW(nullptr, path.c_str(), UINT(-1))));
        ASSERT_EQ(ListView_GetItemCount(grid), count);
        EXPECT_TRUE(expect != Expect::Listed || count > 0);
        const std::vector<IconPixels> listed = test::ListImages(ListView_GetImageList(grid, LVSIL_NORMAL));
        // The platform's icons as the grid's kind of list holds them; where
        // it gives none, a blank cell (colour 0, every pixel transparent).
        UniqueImageList reference(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, count + 1, 16));
        std::vector<int> made;
        for (int i = 0; i < count; ++i) {
            UniqueIcon icon(::ExtractIconW(nullptr, path.c_str(), static_cast<UINT>(i)));
            made.push_back(icon ? ::ImageList_AddIcon(reference.Get(), icon.Get()) : -1);
        }
        const std::vector<IconPixels> want = test::ListImages(reference.Get());
        const IconPixels blank{std::vector<std::uint32_t>(32 * 32, 0), std::vector<std::uint32_t>(32 * 32, 0xFFFFFF)};
        for (int i = 0; i < count; ++i) {
            LVITEMW item{};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            ListView_GetItem(grid, &item);
            const auto shown = static_cast<std::size_t>(item.iImage);
            IconPixels got = item.iImage >= 0 && shown < listed.size() ? listed[shown] : blank;
            const int k = made[static_cast<std::size_t>(i)];
            if (k < 0)
                for (std::uint32_t& pixel : got.colour) pixel &= 0xFFFFFF;  // any alpha of a transparent pixel
            const std::size_t differing = Differing(got, k < 0 ? blank : want.at(static_cast<std::size_t>(k)));
            ++tally.icons;
            tally.blank += k < 0;
            tally.differing += static_cast<long long>(differing);
            EXPECT_EQ(differing, 0u) << "icon " << i << (k < 0 ? " (the platform gives none)" : "");
        }
        // A click shows (and a save writes) the platform's icon at that
        // index: the first and the last.
        doing = "clicking the icons of " + label;
        for (int i = 0; i < count; i += std::max(count - 1, 1)) {
            test::ClickIconGridItem(i);
            UniqueIcon platform(::ExtractIconW(nullptr, path.c_str(), static_cast<UINT>(i)));
            EXPECT_EQ(test::PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()), test::PixelsOf(platform.Get()))
                << "the chosen icon " << i;
        }
        doing.clear();
    }

    // The named files of a group, each compared.
    void CompareNamed(Group group);

    // The generated files first .. first + count - 1 of a seed, each compared.
    void CompareGenerated(std::uint32_t seed, std::size_t first, std::size_t count) {
        Start();
        test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
        const auto start = std::chrono::steady_clock::now();
        Tally tally;
        for (std::size_t i = first; i < first + count; ++i) {
            const test::GeneratedFile file = test::GeneratedFileAt(seed, i);
            const std::wstring path = folder_.File(L"g" + std::to_wstring(i) + file.extension);
            if (file.sparseSize) test::WriteSparseFile(path, file.bytes, file.sparseSize);
            else test::WriteFileBytes(path, file.bytes);
            Compare(path, file.label, Expect::Either, tally);
            ::DeleteFileW(path.c_str());
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("differential: seed %u, %d files (#%u-#%u), %d listed, %d refused (%d of them survived by the platform "
                    "in a process of its own, %d of those reading before its view), %d other boxes, %d icons compared "
                    "(%d blank), %lld differing pixels, %.1f s\n",
                    seed, tally.files, static_cast<unsigned>(first), static_cast<unsigned>(first + count - 1), tally.listed,
                    tally.refused, tally.refusedPlatformReads, tally.refusedBeforeView, tally.otherBoxes, tally.icons,
                    tally.blank, tally.differing, seconds);
    }
};

struct NamedFile {
    Group group;
    std::string what;
    Expect expect;
    Bytes bytes;
    const wchar_t* extension = L".dll";
    std::uint64_t sparseSize = 0;  // the file's size when larger than its bytes
};

Bytes Put(Bytes b, std::size_t at, std::uint32_t value, int width = 2) {
    if (width == 2) test::PutWord(b, at, static_cast<std::uint16_t>(value));
    else test::PutDword(b, at, value);
    return b;
}

std::vector<NamedFile> IssueFiles() {
    const ImageRecipe k8{.bits = 8}, k32{.bits = 32};
    std::vector<NamedFile> files;
    // A 4-byte image announcing a 12-byte header, the last bytes of a
    // library of exactly one page.
    test::LibrarySpec atEnd = test::OneGroupPerImage({k8, k8});
    atEnd.images[1].bytes = {12, 0, 0, 0};
    atEnd.tight = true;
    atEnd.images[1].padBefore = (4096 - test::LibraryOf(atEnd).size() % 4096) % 4096;
    files.push_back({Group::ImageAtTheEnd, "4-byte image at the end of a page-sized library", Expect::Listed, test::LibraryOf(atEnd)});
    // The headers alone of 1-bit images, ending such a library: too short
    // for their colours, which the platform then never reads.
    for (ImageFormat format : {ImageFormat::Info, ImageFormat::Core}) {
        const std::size_t header = format == ImageFormat::Core ? 12 : 40;
        test::LibrarySpec mono = test::OneGroupPerImage({k8, {.bits = 1, .format = format}});
        mono.images[1].bytes.resize(header);
        mono.groups[1].entries[0].entry.bytes = static_cast<std::uint32_t>(header);
        mono.tight = true;
        mono.images[1].padBefore = (4096 - test::LibraryOf(mono).size() % 4096) % 4096;
        files.push_back({Group::ImageAtTheEnd, "1-bit header alone at the end of a page-sized library", Expect::Listed,
                         test::LibraryOf(mono)});
    }

    // 16-bit programs and libraries, good and damaged.
    const test::NeSpec ne = test::NeSpecOf(test::OneGroupPerImage({k8, k32, {.width = 16, .height = 16, .bits = 4}}));
    test::NeLayout l;
    const Bytes good = test::NeProgramOf(ne, &l);
    test::NeSpec library = ne;
    library.library = true;
    library.iconsFirst = library.otherTypeFirst = true;
    Bytes endHeader(4096, 0);
    endHeader[0] = 'M';
    endHeader[1] = 'Z';
    endHeader[0xFFC] = 'N';
    endHeader[0xFFD] = 'E';
    files.push_back({Group::SixteenBit, "16-bit program", Expect::Listed, good, L".exe"});
    files.push_back({Group::SixteenBit, "16-bit library, icons and strings first", Expect::Listed, test::NeProgramOf(library)});
    files.push_back({Group::SixteenBit, "16-bit header at the last 4 bytes", Expect::Refused, Put(endHeader, 0x3C, 0xFFC, 4), L".exe"});
    files.push_back({Group::SixteenBit, "16-bit resource table at 0xF000", Expect::Refused, Put(good, l.neHeader + 0x24, 0xF000)});
    files.push_back({Group::SixteenBit, "16-bit group type count 0xFFFF", Expect::Refused, Put(good, l.groupType + 2, 0xFFFF)});
    files.push_back({Group::SixteenBit, "16-bit group's image count 0xFFFF", Expect::Refused, Put(good, l.firstGroup + 4, 0xFFFF)});
    files.push_back({Group::SixteenBit, "16-bit icon offset 0xFFFF", Expect::Refused, Put(good, l.iconType + 8, 0xFFFF)});

    // An icon file far larger than its one image's place, which lies past its end.
    files.push_back({Group::OversizedIconFile, "300 MiB icon file, entry at 0x7FFF0000", Expect::Refused,
                     Put(test::IcoFile({{32, 32}}, 1), 6 + 12, 0x7FFF0000, 4), L".ico", 300u << 20});

    // An icon file whose reserved word is not 0 in either byte: no icon.
    for (std::uint32_t reserved : {0x0100u, 0x0001u})
        files.push_back({Group::OddMembers, "icon file with reserved word " + std::to_string(reserved), Expect::Either,
                         Put(test::IcoFile({{32, 32}}, 1), 0, reserved), L".ico"});

    // Odd members the platform lists.
    test::LibrarySpec unreferenced = test::OneGroupPerImage({k8, k32});
    unreferenced.images.push_back({3, test::ImageBytes({.bits = 8, .planes = 0}), 0});
    files.push_back({Group::OddMembers, "unreferenced image with planes = 0", Expect::Listed, test::LibraryOf(unreferenced)});
    files.push_back({Group::OddMembers, "32-bit image without mask, top-down images", Expect::Listed,
                     test::LibraryOf(test::OneGroupPerImage({{.bits = 32, .mask = false},
                                                             {.bits = 8, .topDown = true},
                                                             {.bits = 32, .topDown = true, .alpha = 0}}))});
    test::LibrarySpec absent = test::OneGroupPerImage({{.width = 16, .height = 16, .bits = 8}, k8});
    absent.groups[0].entries.push_back({test::EntryFor(k8, 1000), 99});  // the platform's choice: none
    absent.groups[1].entries.push_back({test::EntryFor({.width = 48, .height = 48}, 1000), 98});
    files.push_back({Group::OddMembers, "group entries naming absent images next to valid ones", Expect::Listed, test::LibraryOf(absent)});

    // Members the platform lists in its own way: the same way.
    test::LibrarySpec duplicate = test::OneGroupPerImage({k8, k32});
    duplicate.images.push_back({2, test::ImageBytes({.bits = 4}), 0});
    files.push_back({Group::OddMembers, "two images with the same ID", Expect::Listed, test::LibraryOf(duplicate)});
    test::LibrarySpec languages = test::OneGroupPerImage({k8, k32});
    languages.languages = 2;
    test::LibraryLayout layout;
    const Bytes twoLanguages = test::LibraryOf(languages, &layout);
    auto field = [&](const std::string& name) {
        return std::find_if(layout.fields.begin(), layout.fields.end(), [&](const test::Field& f) { return f.name == name; })->at;
    };
    files.push_back({Group::OddMembers, "second language's image past the end", Expect::Listed,
                     Put(twoLanguages, field("first icon second language data size"), 0xFFFFFFF0, 4)});
    test::LibrarySpec twoEntries = test::OneGroupPerImage({k8, k32});
    twoEntries.groups[0].entries.push_back(twoEntries.groups[1].entries[0]);
    const Bytes entriesPast = test::LibraryOf(twoEntries, &layout);
    files.push_back({Group::OddMembers, "group entries past the group's data", Expect::Listed,
                     Put(entriesPast, field("first group data size"), 6 + 14 * 2 - 1, 4)});

    // Images cut just short of and at the end of each of their parts.
    for (const ImageRecipe& r : {ImageRecipe{.bits = 8}, ImageRecipe{.bits = 24, .tableLength = 3},
                                 ImageRecipe{.bits = 4, .format = ImageFormat::Core},
                                 ImageRecipe{.bits = 16, .format = ImageFormat::BitFields},
                                 ImageRecipe{.bits = 32, .format = ImageFormat::BitFields, .alpha = 0},
                                 ImageRecipe{.bits = 1, .blackWhite = true}, ImageRecipe{.format = ImageFormat::Png}}) {
        test::LibrarySpec cut;
        const Bytes whole = test::ImageBytes(r);
        for (std::size_t end : test::ImageBoundaries(r))
            for (std::size_t size : {end - 1, end}) {
                const auto id = static_cast<std::uint16_t>(cut.images.size() + 1);
                cut.images.push_back({id, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)), 0});
                cut.groups.push_back({L"", id, {{test::EntryFor(r, size), id}}});
            }
        files.push_back({Group::Boundaries, test::Describe(r) + " cut at each part's end", Expect::Listed, test::LibraryOf(cut)});
    }

    // Damaged PNG images between good ones: one blank cell each.
    test::LibrarySpec png = test::OneGroupPerImage({k8, {.bits = 32, .format = ImageFormat::Png}, k32,
                                                    {.bits = 24, .format = ImageFormat::Png}, {.bits = 24, .format = ImageFormat::Png}});
    png.images[1].bytes = test::PngBytes(32, 32, 6, 1, 0);
    png.images[3].bytes = test::PngBytes(32, 32, 2, 1, 0x7FFFFFFF);
    files.push_back({Group::DamagedPng, "PNG images with IHDR heights 0 and 0x7FFFFFFF in the middle", Expect::Listed, test::LibraryOf(png)});

    // Colour tables at every depth, black-and-white and other 1-bit images.
    files.push_back({Group::Pixels, "colour tables and 1-bit palettes", Expect::Listed,
                     test::LibraryOf(test::OneGroupPerImage({{.bits = 24, .tableLength = 16},
                                                             {.bits = 32, .tableLength = 5},
                                                             {.bits = 16, .tableLength = 2},
                                                             {.bits = 8, .tableLength = 20},
                                                             {.bits = 4, .tableLength = 3},
                                                             {.bits = 1, .blackWhite = true},
                                                             {.bits = 1},
                                                             {.bits = 1, .format = ImageFormat::Core, .blackWhite = true}}))});
    // Every kind of image in one 64-bit library.
    std::vector<ImageRecipe> kinds;
    for (int bits : {1, 4, 8, 16, 24, 32}) kinds.push_back({.bits = bits});
    for (int bits : {1, 4, 8, 24}) kinds.push_back({.bits = bits, .format = ImageFormat::Core});
    for (int bits : {16, 32}) kinds.push_back({.bits = bits, .format = ImageFormat::BitFields});
    for (int bits : {24, 32}) kinds.push_back({.bits = bits, .format = ImageFormat::Png});
    kinds.push_back({.width = 256, .height = 256, .format = ImageFormat::Png});
    kinds.push_back({.width = 48, .height = 48, .bits = 8});
    test::LibrarySpec every = test::OneGroupPerImage(kinds);
    every.plus = true;
    every.languages = 2;
    every.imagesInSecondSection = true;
    files.push_back({Group::Pixels, "every kind of image, PE32+, two languages, images in a second section", Expect::Listed,
                     test::LibraryOf(every)});

    // 12-byte headers, whose alpha test reads past the image: into the next
    // image, to the first alpha byte not zero, or for a bit count the
    // platform never wrote (above 8 bits), past the file's end.
    const ImageRecipe core4{.bits = 4, .format = ImageFormat::Core}, core24{.bits = 24, .format = ImageFormat::Core, .mask = false};
    std::vector<ImageRecipe> twelve(11, core4);
    twelve.push_back({.width = 256, .height = 256, .bits = 24, .format = ImageFormat::Core, .mask = false});
    test::LibrarySpec large = test::OneGroupPerImage(twelve);
    large.tight = true;
    test::LibrarySpec tested = test::OneGroupPerImage({core4, core4, {.bits = 4, .format = ImageFormat::Core, .mask = false},
                                                       core24, {.bits = 16, .format = ImageFormat::Core}, k8, core24});
    for (std::size_t i : {0, 1, 2}) tested.images[i].bytes[14] = 32, tested.images[i].bytes[15] = 0;
    std::fill(tested.images[1].bytes.begin() + 60, tested.images[1].bytes.end(), std::uint8_t{0});
    tested.tight = true;
    for (std::uint32_t header : {108u, 124u}) {
        test::LibrarySpec later = test::OneGroupPerImage({k8, core4, core24});
        later.tight = true;
        test::PutDword(later.images[2].bytes, 0, header);
        later.groups[2].entries[0].entry.bytes += 8192;
        files.push_back({Group::CoreHeaders, std::to_string(header) + "-byte header at the end, stated past the view", Expect::Listed,
                         test::LibraryOf(later)});
    }
    files.push_back({Group::CoreHeaders, "256 x 256 24-bit 12-byte header without a mask at the end of 12", Expect::Listed,
                     test::LibraryOf(large)});
    files.push_back({Group::CoreHeaders, "12-byte headers of 4, 16 and 24 bits, alpha tested into the next image",
                     Expect::Listed, test::LibraryOf(tested)});
    return files;
}

void IconDifferentialTest::CompareNamed(Group group) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Tally tally;
    int n = 0;
    for (const NamedFile& file : IssueFiles()) {
        if (file.group != group) continue;
        const std::wstring path = folder_.File(L"case" + std::to_wstring(n++) + file.extension);
        if (file.sparseSize) test::WriteSparseFile(path, file.bytes, file.sparseSize);
        else test::WriteFileBytes(path, file.bytes);
        Compare(path, file.what, file.expect, tally);
        ::DeleteFileW(path.c_str());
    }
    EXPECT_GT(n, 0);
}

TEST_F(IconDifferentialTest, ImageAtTheVeryEndOfALibraryIsListed) { CompareNamed(Group::ImageAtTheEnd); }
TEST_F(IconDifferentialTest, DamagedSixteenBitFilesAreRefusedGoodOnesListed) { CompareNamed(Group::SixteenBit); }
TEST_F(IconDifferentialTest, IconFileLargerThanAnyListingIsRefused) { CompareNamed(Group::OversizedIconFile); }
TEST_F(IconDifferentialTest, OddMembersThePlatformListsAreListed) { CompareNamed(Group::OddMembers); }
TEST_F(IconDifferentialTest, DamagedPngImageCostsItsCellOnly) { CompareNamed(Group::DamagedPng); }
TEST_F(IconDifferentialTest, EveryKindOfImageHasThePlatformsPixels) { CompareNamed(Group::Pixels); }
TEST_F(IconDifferentialTest, ImagesCutAtEachPartsEndAreListedAsThePlatformListsThem) { CompareNamed(Group::Boundaries); }
TEST_F(IconDifferentialTest, TwelveByteHeadersReadPastTheImageAsThePlatformReadsThem) { CompareNamed(Group::CoreHeaders); }

// A few hundred generated files in the test run, in parts.
TEST_F(IconDifferentialTest, GeneratedFilesPart1) { CompareGenerated(1, 0, 200); }
TEST_F(IconDifferentialTest, GeneratedFilesPart2) { CompareGenerated(1, 200, 200); }
TEST_F(IconDifferentialTest, GeneratedFilesPart3) { CompareGenerated(1, 400, 200); }

// Any number of them, of any seed (scripts/fuzz.sh):
// ORBELUNE_DIFFERENTIAL_FILES=2000 ORBELUNE_DIFFERENTIAL_SEED=2.
TEST_F(IconDifferentialTest, GeneratedFilesFromTheEnvironment) {
    const char* count = std::getenv("ORBELUNE_DIFFERENTIAL_FILES");
    const char* seed = std::getenv("ORBELUNE_DIFFERENTIAL_SEED");
    if (!count) GTEST_SKIP() << "ORBELUNE_DIFFERENTIAL_FILES is not set";
    CompareGenerated(seed ? static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10)) : 1, 0, std::strtoul(count, nullptr, 10));
}

}  // namespace
}  // namespace orbelune
