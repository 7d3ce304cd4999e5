// Times the icon picker's listing of a library under Wine against two plain
// loops that make the same icons into a 32 x 32 image list, in interleaved
// rounds, and measures the peak memory of each in a process of its own.
//
//   bench_picker sources FOLDER COUNT   (icon files and a resource script
//                                        for MinGW's windres)
//   bench_picker time LIBRARY ROUNDS
//   bench_picker memory listing|extract|resources|shown LIBRARY
//   bench_picker first SMALL LARGE ROUNDS
//
// The listing is the whole of it: the file listed and every icon made, as
// the grid makes each when it is drawn. "first" times the first screen of
// two libraries, listed and drawn, in interleaved pairs; "shown" is the
// memory of a listing drawn and left to make what it makes ahead.
//
// The plain loops: ExtractIconExW for each index (the platform's
// extraction), and one LoadLibraryExW as a data file with
// EnumResourceNamesW(RT_GROUP_ICON), LookupIconIdFromDirectoryEx and
// CreateIconFromResourceEx (the platform's resource calls). Both add each
// icon to an image list created with room for all of them.
#include "app/application.h"
#include "platform/failure.h"
#include "support/icon_library.h"
#include "support/scratch_registry.h"
#include "ui/iconpicker/icon_picker.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace orbelune;
using Clock = std::chrono::steady_clock;

HIMAGELIST NewList(int count) { return ::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, std::max(count, 1), 16); }

int ExtractLoop(const std::wstring& path) {
    const int count = static_cast<int>(::ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0));
    HIMAGELIST list = NewList(count);
    for (int i = 0; i < count; ++i) {
        HICON large = nullptr;
        ::ExtractIconExW(path.c_str(), i, &large, nullptr, 1);
        ::ImageList_AddIcon(list, large);
        ::DestroyIcon(large);
    }
    const int added = ::ImageList_GetImageCount(list);
    ::ImageList_Destroy(list);
    return added;
}

struct ResourcePass {
    HMODULE module;
    HIMAGELIST list;
};

BOOL CALLBACK AddGroup(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto& pass = *reinterpret_cast<ResourcePass*>(param);
    HRSRC group = ::FindResourceW(module, name, MAKEINTRESOURCEW(14));
    auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(module, group)));
    const int id = ::LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR);
    HRSRC image = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
    auto* bits = static_cast<BYTE*>(::LockResource(::LoadResource(module, image)));
    HICON icon = ::CreateIconFromResourceEx(bits, ::SizeofResource(module, image), TRUE, 0x00030000, 32, 32,
                                            LR_DEFAULTCOLOR);
    ::ImageList_AddIcon(pass.list, icon);
    ::DestroyIcon(icon);
    return TRUE;
}

int ResourceLoop(const std::wstring& path) {
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    // The count sizes the list, as the listing's does.
    const int count = static_cast<int>(::ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0));
    ResourcePass pass{module, NewList(count)};
    ::EnumResourceNamesW(module, MAKEINTRESOURCEW(14), AddGroup, reinterpret_cast<LONG_PTR>(&pass));
    const int added = ::ImageList_GetImageCount(pass.list);
    ::ImageList_Destroy(pass.list);
    ::FreeLibrary(module);
    return added;
}

// What the window would have handled by now.
void Drain() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

int Listing(const std::wstring& path) {
    TheIconPicker()->ListIconsOfFile(path);
    HWND grid = TheIconPicker()->Control(IconPicker::kIconGrid);
    const int count = TheIconPicker()->IconGridCount();
    int made = 0;
    for (int i = 0; i < count; ++i) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        made += ListView_GetItem(grid, &item) && item.iImage >= 0;
    }
    Drain();  // the rest of the listing: the images judged, what is made ahead
    return made;
}

// Listed and drawn: the first screen.
int FirstScreen(const std::wstring& path) {
    TheIconPicker()->ListIconsOfFile(path);
    ::UpdateWindow(TheIconPicker()->Control(IconPicker::kIconGrid));
    return TheIconPicker()->IconGridCount();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <typename F>
double TimeMs(F&& run, int& count) {
    const auto start = Clock::now();
    count = run();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int Time(const std::wstring& path, int rounds) {
    std::vector<double> listing, extract, resources, toExtract, toResources;
    int listed = 0, extracted = 0, loaded = 0;
    for (int round = 0; round <= rounds; ++round) {
        // The order turns each round, so that no variant always follows the same one.
        double l = 0, e = 0, r = 0;
        for (int k = 0; k < 3; ++k) switch ((round + k) % 3) {
            case 0: l = TimeMs([&] { return Listing(path); }, listed); break;
            case 1: e = TimeMs([&] { return ExtractLoop(path); }, extracted); break;
            default: r = TimeMs([&] { return ResourceLoop(path); }, loaded); break;
            }
        Drain();
        if (round == 0) continue;  // warm-up
        listing.push_back(l);
        extract.push_back(e);
        resources.push_back(r);
        toExtract.push_back(l / e);
        toResources.push_back(l / r);
    }
    if (listed != extracted || listed != loaded) {
        std::printf("  icon counts differ: listing %d, extraction %d, resources %d\n", listed, extracted, loaded);
        return 1;
    }
    std::printf("  %d icons, %d rounds; medians: listing %.0f ms, extraction loop %.0f ms, resource loop %.0f ms\n",
                listed, rounds, Median(listing), Median(extract), Median(resources));
    const double faster = Median(resources) < Median(extract) ? Median(toResources) : Median(toExtract);
    std::printf("  listing / extraction loop: %.2f   listing / resource loop: %.2f   (pair-by-pair medians)\n",
                Median(toExtract), Median(toResources));
    std::printf("  listing / faster loop: %.2f  (target <= 0.20)%s\n", faster,
                listed >= 10000 ? (Median(listing) < 10000 ? "; listing under 10 s: yes" : "; listing under 10 s: NO")
                                : "");
    return 0;
}

int First(const std::wstring& small, const std::wstring& large, int rounds) {
    std::vector<double> smallMs, largeMs, ratio;
    int smallCount = 0, largeCount = 0;
    for (int round = 0; round <= rounds; ++round) {
        double s = 0, l = 0;
        for (int k = 0; k < 2; ++k) {
            if ((round + k) % 2) s = TimeMs([&] { return FirstScreen(small); }, smallCount);
            else l = TimeMs([&] { return FirstScreen(large); }, largeCount);
            Drain();
        }
        if (round == 0) continue;  // warm-up
        smallMs.push_back(s);
        largeMs.push_back(l);
        ratio.push_back(l / s);
    }
    std::printf("  %d rounds; medians: %d icons %.2f ms, %d icons %.2f ms\n", rounds, smallCount, Median(smallMs),
                largeCount, Median(largeMs));
    std::printf("  first screen, %d icons / %d icons: %.2f  (pair-by-pair median; target <= 1.20)\n", largeCount,
                smallCount, Median(ratio));
    return 0;
}

int Memory(const std::string& variant, const std::wstring& path) {
    PROCESS_MEMORY_COUNTERS before{}, after{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before);
    int count = 0;
    if (variant == "listing") {
        count = Listing(path);
    } else if (variant == "shown") {
        count = FirstScreen(path);
        Drain();
    } else if (variant == "extract") {
        count = ExtractLoop(path);
    } else {
        count = ResourceLoop(path);
    }
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof after);
    const double mib = 1024.0 * 1024.0;
    // Wine keeps the peak of the working set only (the resident set's high
    // mark); the pages of a mapped file count while they are resident.
    std::printf("%s %d %.2f\n", variant.c_str(), count,
                (static_cast<double>(after.PeakWorkingSetSize) - static_cast<double>(before.WorkingSetSize)) / mib);
    return 0;
}

// Eight icon files of 16 x 16 and 32 x 32 images in 32 bits, and a
// resource script naming them in turn COUNT times.
int Sources(const std::wstring& folder, int count) {
    for (int k = 0; k < 8; ++k) {
        const test::Bytes ico = test::IcoFile({{16, 32}, {32, 32}}, k * 17 + 1);
        std::ofstream file(std::filesystem::path(folder) / ("icon" + std::to_string(k) + ".ico"), std::ios::binary);
        file.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
        if (!file) return 1;
    }
    std::ofstream script(std::filesystem::path(folder) / ("icons" + std::to_string(count) + ".rc"));
    for (int i = 1; i <= count; ++i) script << i << " ICON \"" << "icon" << (i % 8) << ".ico\"\n";
    return script ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_picker sources FOLDER COUNT | time LIBRARY ROUNDS | memory VARIANT LIBRARY | "
                             "first SMALL LARGE ROUNDS\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    if (mode == L"sources") return Sources(argv[2], _wtoi(argv[3]));
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    test::ScratchRegistry scratch;
    InitializeApplication();
    CreateWindowSet();
    ShowMainWindow(SW_SHOWNORMAL);
    ::SendMessageW(TheMainWindow()->Control(MainWindow::kIconBrowseButton), BM_CLICK, 0, 0);  // the picker, as the icon button opens it
    // A failure outside the windows' handlers is told, not thrown past main.
    int rc = 1;
    try {
        if (mode == L"time") {
            rc = Time(argv[2], _wtoi(argv[3]));
        } else if (mode == L"first" && argc >= 5) {
            rc = First(argv[2], argv[3], _wtoi(argv[4]));
        } else {
            std::string variant;
            for (const wchar_t* c = argv[2]; *c; ++c) variant += static_cast<char>(*c);
            rc = Memory(variant, argv[3]);
        }
    } catch (const Failure& failure) {
        std::fprintf(stderr, "failure: %ls\n", failure.Message().c_str());
    }
    DestroyWindowSet();
    return rc;
}
