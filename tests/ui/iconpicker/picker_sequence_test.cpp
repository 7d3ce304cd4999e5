// Random sequences of what a user does with the picker, checked against the
// platform once things settle. ORBELUNE_SEQUENCE_SEED and
// ORBELUNE_SEQUENCE_STEPS give another sequence and its length
// (scripts/sequence.sh runs long ones).
#include "ui/iconpicker/icon_picker.h"

#include "support/icon_library.h"
#include "support/picker_listing.h"
#include "support/window_set.h"
#include "ui/main/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <thread>

namespace orbelune {
namespace {

std::uint64_t Setting(const char* name, std::uint64_t otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 10) : otherwise;
}

// Esc pressed `delay` ms from now, by a thread of its own, as the keyboard
// does, and held a little longer than a wait takes to look for it.
std::thread EscAfter(DWORD delay, std::atomic<DWORD>& pressed) {
    return std::thread([delay, &pressed] {
        ::Sleep(delay);
        pressed = ::GetTickCount();
        INPUT key[2] = {};
        key[0].type = key[1].type = INPUT_KEYBOARD;
        key[0].ki.wVk = key[1].ki.wVk = VK_ESCAPE;
        key[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(1, &key[0], sizeof(INPUT));
        ::Sleep(250);
        ::SendInput(1, &key[1], sizeof(INPUT));
    });
}

class PickerSequenceTest : public test::PickerListingTest {};

// Over libraries of plain icons (with alpha, then without in the same
// places) and of large PNG images, which are made on a thread: listing,
// waiting, listing another, a new DPI, a click, a preview's wait stopped
// with Esc, closing the picker, in random order. Once nothing is left to
// make, every visible cell is the platform's icon of its index at the
// grid's size, drawn alike, and the chosen icon the platform's.
TEST_F(PickerSequenceTest, RandomSequencesEndWithThePlatformsIcons) {
    // By default two sequences, one after the other: plain images listed
    // after PNG ones, at 96 dpi; a large image listed after two stopped
    // waits, clicked at 144 dpi.
    std::vector<std::uint64_t> seeds{48, 106921};
    if (std::getenv("ORBELUNE_SEQUENCE_SEED")) seeds = {Setting("ORBELUNE_SEQUENCE_SEED", 0)};
    const std::uint64_t steps = Setting("ORBELUNE_SEQUENCE_STEPS", 12);
    Start();
    const auto large = [](int width, int height, int n) { return test::BandedPngBytes(width, height, 7, n); };
    test::LibrarySpec larges;
    for (std::uint16_t id = 1; id <= 6; ++id) {
        larges.images.push_back({id, large(2048, 2048, id), 0});
        const auto size = static_cast<std::uint32_t>(larges.images.back().bytes.size());
        larges.groups.push_back({L"", id, {{{0, 0, 0, 1, 32, size}, id}}});
    }
    const test::Bytes png = large(8192, 8192, 9);
    const std::wstring libraries[] = {
        Write(L"mixed.dll", test::IconLibrary(test::MixedGroups())),
        Write(L"plain.dll", test::LibraryOf(test::OneGroupPerImage(std::vector<test::ImageRecipe>(8, {.alpha = 0})))),
        Write(L"large.dll", test::LibraryOf(test::GroupsOfOneImage(large(8192, 4096, 7), 6))),
        Write(L"larges.dll", test::LibraryOf(larges)),
    };
    const std::wstring slowIcon =
        Write(L"slow.ico", test::IcoFileOf({{{0, 0, 0, 1, 32, static_cast<std::uint32_t>(png.size())}, png}}));

    std::mt19937_64 random;
    const auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    HWND grid = TheIconPicker()->Control(IconPicker::kIconGrid);
    std::wstring listed;      // what the grid lists
    int chosen = -1;          // the icon of it clicked last
    int dpi = 96;
    const auto pumpFor = [](DWORD ms) {
        for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms;) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            test::Pump();
        }
    };
    const auto newDpi = [&](int to) {
        RECT frame;
        ::GetWindowRect(TheIconPicker()->Handle(), &frame);
        ::SendMessageW(TheIconPicker()->Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&frame));
        dpi = to;
    };
    const auto list = [&] {
        if (!TheIconPicker()->IsShown()) test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
        listed = libraries[below(4)];
        chosen = -1;
        std::printf("(%s) ", test::Utf8(listed.substr(listed.rfind(L'\\') + 1)).c_str());
        Open(listed, false);
    };
    const struct {
        const char* what;
        int weight;
        std::function<void()> act;
    } actions[] = {
        {"list", 4, list},
        {"wait", 3, [&] { pumpFor(static_cast<DWORD>(below(1500))); }},
        {"dpi", 1, [&] { newDpi(dpi == 96 ? 144 : 96); }},
        {"click", 2, [&] {
             if (listed.empty() || TheIconPicker()->IconGridCount() == 0) return;
             chosen = below(std::min(TheIconPicker()->IconGridCount(), 6));
             test::ClickIconGridItem(chosen, false);
         }},
        {"esc", 1, [&] {  // the main window's preview of a large image, stopped at some time
             if (TheIconPicker()->IsShown()) test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
             listed.clear();
             TheMainWindow()->SetText(MainWindow::kIconPathField, slowIcon);
             std::atomic<DWORD> pressed{0};
             std::thread esc = EscAfter(static_cast<DWORD>(below(2500)), pressed);
             test::PressKey(TheMainWindow()->Control(MainWindow::kIconPathField), VK_RETURN);
             const DWORD ended = ::GetTickCount();
             esc.join();
             // Held for several of the wait's looks while it went on, Esc stopped it.
             const bool stopped = TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Picture().Empty();
             EXPECT_TRUE(stopped || !pressed || ended - pressed < 400) << ended - pressed << " ms after Esc";
             std::printf("(%s) ", stopped ? "stopped" : "made");
         }},
        {"close", 1, [&] {
             if (TheIconPicker()->IsShown()) test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
             listed.clear();
         }},
    };
    for (const std::uint64_t seed : seeds) {
        std::printf("seed %llu: ", static_cast<unsigned long long>(seed));
        SCOPED_TRACE(seed);
        random.seed(seed);
        for (std::uint64_t step = 0; step < steps; ++step) {
            int pick = below(12);  // the weights' sum
            const auto* action = std::begin(actions);
            while (pick >= action->weight) pick -= (action++)->weight;
            std::printf("%s ", action->what);
            action->act();
        }
        if (listed.empty()) list();
        std::printf("at %d dpi\n", dpi);
        SCOPED_TRACE(test::Utf8(listed));
        test::PumpUntilIconsMade();
        ::UpdateWindow(grid);
        test::PumpUntilIconsMade();

        // The platform's icons at the grid's size, drawn as the grid draws its own.
        HIMAGELIST shown = ListView_GetImageList(grid, LVSIL_NORMAL);
        int side = 0, height = 0;
        ::ImageList_GetIconSize(shown, &side, &height);
        std::vector<std::uint32_t> once;  // the large image's icon, the same at every index
        const auto platform = [&](int i) {
            if (listed == libraries[2] && !once.empty()) return once;
            HICON icon = nullptr;
            ::PrivateExtractIconsW(listed.c_str(), i, side, side, &icon, nullptr, 1, 0);
            UniqueIcon made(icon);
            UniqueImageList one(::ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 1, 1));
            std::vector<std::uint32_t> drawn = test::DrawnImage(one.Get(), made ? ::ImageList_AddIcon(one.Get(), made.Get()) : -1);
            if (listed == libraries[2]) once = drawn;
            return drawn;
        };
        RECT client;
        ::GetClientRect(grid, &client);
        int visible = 0;
        for (int i = 0; i < TheIconPicker()->IconGridCount(); ++i) {
            RECT cell{}, common{};
            if (!ListView_GetItemRect(grid, i, &cell, LVIR_ICON) || !::IntersectRect(&common, &cell, &client)) continue;
            LVITEMW item{};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            ASSERT_TRUE(ListView_GetItem(grid, &item));
            const std::vector<std::uint32_t> want = platform(i);
            visible += std::any_of(want.begin(), want.end(), [](std::uint32_t p) { return p != 0x808080u; });
            EXPECT_EQ(test::DrawnImage(shown, item.iImage), want) << "cell " << i << " at " << side;
        }
        EXPECT_GT(visible, 0);  // cells the platform draws something in
        for (bool again : {false, true}) {
            UniqueIcon clicked(chosen >= 0 ? ::ExtractIconW(nullptr, listed.c_str(), static_cast<UINT>(chosen)) : nullptr);
            EXPECT_EQ(test::PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()), test::PixelsOf(clicked.Get()));
            if (again) break;
            // The grid's icons made afresh, then the first one clicked: made
            // at its own size whatever sizes of it the grid holds.
            newDpi(dpi);
            test::PumpUntilIconsMade();
            test::ClickIconGridItem(chosen = 0);
        }
    }
}

}  // namespace
}  // namespace orbelune
