// Random sequences of what a user does with the picker, checked against the
// platform once things settle. ORBELUNE_SEQUENCE_SEED and
// ORBELUNE_SEQUENCE_STEPS give another sequence and its length
// (scripts/sequence.sh runs long ones).
#include "ui/iconpicker/icon_picker.h"

#include "support/icon_library.h"
#include "support/picker_listing.h"
#include "support/window_set.h"
#include "ui/main/main_window.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <random>
#include <thread>

namespace orbelune {
namespace {

class PickerSequenceTest : public test::PickerListingTest {};

// Listings (mixed icons, plain ones without alpha, a large PNG image), waits,
// DPI changes, clicks, the main window's wait for a large image stopped with
// Esc, closings; then the grid and the chosen icon are the platform's, also
// after a click on icons held at another size. By default: plain icons where
// ones with alpha were; the large image after two stopped waits, at 144 dpi.
TEST_F(PickerSequenceTest, RandomSequencesEndWithThePlatformsIcons) {
    const char *seed = std::getenv("ORBELUNE_SEQUENCE_SEED"), *steps = std::getenv("ORBELUNE_SEQUENCE_STEPS");
    Start();
    const test::Bytes png = test::BandedPngBytes(8192, 8192, 7, 9);
    const std::wstring slow = Write(L"slow.ico", test::IcoFileOf({{{0, 0, 0, 1, 32, static_cast<std::uint32_t>(png.size())}, png}}));
    const std::wstring libraries[] = {
        Write(L"mixed.dll", test::IconLibrary({{L"", {{32, 32}, {48, 8}}}, {L"", {{16, 4}, {48, 32}}}, {L"", {{32, 8}}}, {L"", {{32, 24}}}, {L"", {{16, 32}}}})),
        Write(L"plain.dll", test::LibraryOf(test::OneGroupPerImage(std::vector<test::ImageRecipe>(8, {.alpha = 0})))),
        Write(L"large.dll", test::LibraryOf(test::GroupsOfImages({test::BandedPngBytes(8192, 4096, 7, 7)}, 1)))};
    std::mt19937_64 random;
    const auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::wstring listed;
    int chosen = -1, dpi = 96;
    const auto newDpi = [&](int to) {
        RECT frame;
        ::GetWindowRect(TheIconPicker()->Handle(), &frame);
        ::SendMessageW(TheIconPicker()->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi = to, to), reinterpret_cast<LPARAM>(&frame));
    };
    const auto close = [&] {
        if (TheIconPicker()->IsShown()) test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
        listed.clear();
    };
    const auto list = [&] {
        if (!TheIconPicker()->IsShown()) test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
        chosen = -1;
        Open(listed = libraries[below(3)], false);
    };
    const std::pair<int, std::function<void()>> actions[] = {  // weight, action
        {4, list},
        {3, [&] { for (const DWORD start = ::GetTickCount(), ms = static_cast<DWORD>(below(1500)); ::GetTickCount() - start < ms;)
                      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT), test::Pump(); }},
        {1, [&] { newDpi(dpi == 96 ? 144 : 96); }},
        {2, [&] { if (!listed.empty()) test::ClickIconGridItem(chosen = below(std::min(TheIconPicker()->IconGridCount(), 6)), false); }},
        {1, [&] {
             close();
             TheMainWindow()->SetText(MainWindow::kIconPathField, slow);
             std::atomic<DWORD> pressed{0};
             std::thread esc([&pressed, delay = static_cast<DWORD>(below(2500))] {
                 ::Sleep(delay);
                 pressed = ::GetTickCount();
                 ::keybd_event(VK_ESCAPE, 0, 0, 0);
                 ::Sleep(250);  // through several of the wait's looks for it
                 ::keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
             });
             test::PressKey(TheMainWindow()->Control(MainWindow::kIconPathField), VK_RETURN);
             const DWORD ended = ::GetTickCount();
             esc.join();
             const bool stopped = TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Picture().Empty();
             EXPECT_TRUE(stopped || !pressed || ended - pressed < 400) << "Esc held while the wait went on";
         }},
        {1, close},
    };
    for (const unsigned long long s : seed ? std::vector{std::stoull(seed)} : std::vector{6145ull, 93876ull}) {
        close();
        newDpi(96);
        random.seed(s);
        for (int step = 0, pick; step < (steps ? std::atoi(steps) : 12); ++step) {
            const auto* action = std::begin(actions);
            for (pick = below(12); pick >= action->first; pick -= (action++)->first) {}
            action->second();
        }
        if (listed.empty()) list();
        SCOPED_TRACE(testing::Message() << "seed " << s << ", " << test::Utf8(listed) << " at " << dpi);
        test::PumpUntilIconsMade();
        test::ExpectListedAsThePlatform(listed);
        for (int pass = 0; pass < 2; ++pass) {
            UniqueIcon clicked(chosen >= 0 ? ::ExtractIconW(nullptr, listed.c_str(), static_cast<UINT>(chosen)) : nullptr);
            EXPECT_TRUE(clicked || chosen < 0);
            EXPECT_EQ(test::PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()), test::PixelsOf(clicked.Get()));
            if (pass) break;
            newDpi(dpi);  // the grid's icons made afresh, then the first one clicked
            test::PumpUntilIconsMade();
            test::ClickIconGridItem(chosen = 0);
        }
    }
}

}  // namespace
}  // namespace orbelune
