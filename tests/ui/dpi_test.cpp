// The windows and boxes at the display's DPI: every place, font, list item
// height and drawn icon is the 96-dpi layout scaled as the program rounds
// (MulDiv). The tests run in the test prefix at 96 dpi and again in a prefix
// whose display reports 144 dpi; ORBELUNE_TEST_DPI names the DPI a run
// expects, so that a prefix that reports another one fails. The paths of the
// Windows generations run with the DPI calls each has in place of Wine's.
#include "app/application.h"
#include "app/dpi.h"
#include "app/file_dialog.h"
#include "support/box_driver.h"
#include "support/gui.h"
#include "support/picker_listing.h"
#include "ui/iconpicker/icon_picker.h"
#include "ui/image_box.h"
#include "ui/linkbrowser/link_browser.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <commctrl.h>

#include <cstdlib>
#include <functional>

namespace orbelune {
namespace {

using test::Pump;
using test::Scaled;

// Any window below a form (a preview's image lies in its panel) by its
// identifier.
HWND Below(HWND form, int id) {
    if (HWND direct = ::GetDlgItem(form, id)) return direct;
    for (HWND child = ::GetWindow(form, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (HWND found = ::GetDlgItem(child, id)) return found;
    return nullptr;
}

struct FormLayout {
    const char* name;
    std::function<Form*()> form;
    std::vector<LayoutRect> places;
    FormRect rect;  // the screen position is CW_USEDEFAULT where the system places the form
};

std::vector<FormLayout> Layouts() {
    return {
        {"mainWindow", [] { return static_cast<Form*>(TheMainWindow()); }, test::Places(MainWindow::kControls), MainWindow::kFormRect},
        {"linkBrowser", [] { return static_cast<Form*>(TheLinkBrowser()); }, test::Places(LinkBrowser::kControls),
         LinkBrowser::kFormRect},
        {"iconPicker", [] { return static_cast<Form*>(TheIconPicker()); }, test::Places(IconPicker::kControls), IconPicker::kFormRect},
    };
}

void ExpectLayout(int dpi) {
    for (const auto& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        Form* form = layout.form();
        for (const auto& p : layout.places) test::ExpectPlaced(Below(form->Handle(), p.id), p, dpi);
    }
}

// A font of a control: face, character height at 96 dpi, bold.
struct FontOf {
    std::function<HWND()> control;
    const wchar_t* face;
    int height;
    bool bold;
};

void ExpectFonts(int dpi) {
    const FontOf fonts[] = {
        {[] { return TheMainWindow()->Control(MainWindow::kNameField); }, L"ＭＳ Ｐゴシック", 12, false},
        {[] { return TheMainWindow()->Control(MainWindow::kButtonNameList); }, L"ＭＳ Ｐゴシック", 12, false},
        {[] { return TheMainWindow()->Control(MainWindow::kNameLabel); }, L"ＭＳ Ｐゴシック", 12, true},
        {[] { return TheMainWindow()->PreviewPanel(MainWindow::Preview::Icon).Handle(); }, L"ＭＳ Ｐゴシック", 12, true},
        {[] { return TheLinkBrowser()->Control(LinkBrowser::kFavoritesList); }, L"ＭＳ Ｐゴシック", 12, false},
        {[] { return TheLinkBrowser()->Control(LinkBrowser::kTypedAddressLabel); }, L"ＭＳ Ｐゴシック", 12, true},
        {[] { return TheLinkBrowser()->Control(LinkBrowser::kStatusBar); }, L"ＭＳ Ｐゴシック", 12, false},
        {[] { return TheIconPicker()->Control(IconPicker::kOpenButton); }, L"ＭＳ Ｐゴシック", 12, false},
        {[] { return TheIconPicker()->Control(IconPicker::kColor16Radio); }, L"ＭＳ ゴシック", 13, false},
        {[] { return TheIconPicker()->Control(IconPicker::kIconGrid); }, L"MS Sans Serif", 11, false},
    };
    for (const auto& f : fonts) {
        SCOPED_TRACE(testing::Message() << test::Utf8(f.face) << " " << f.height << " at " << dpi << " dpi");
        HWND control = f.control();
        auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        ASSERT_TRUE(::GetObjectW(font, sizeof lf, &lf));
        EXPECT_STREQ(lf.lfFaceName, f.face);
        EXPECT_EQ(lf.lfHeight, -Scaled(f.height, dpi));
        EXPECT_EQ(lf.lfWeight > FW_NORMAL, f.bold);
    }
    const struct {
        HWND list;
        int height;
    } lists[] = {{TheMainWindow()->Control(MainWindow::kButtonNameList), 12},
                 {TheMainWindow()->Control(MainWindow::kButtonNumberList), 12},
                 {TheLinkBrowser()->Control(LinkBrowser::kFavoritesList), 16},
                 {TheLinkBrowser()->Control(LinkBrowser::kTypedAddressList), 12}};
    for (const auto& l : lists) EXPECT_EQ(::SendMessageW(l.list, LB_GETITEMHEIGHT, 0, 0), Scaled(l.height, dpi));
}

// The client area of every form is its layout's at the DPI, and (unless
// moved since) the forms placed by the layout are there.
void ExpectClientAreas(int dpi, bool atTheirPlaces = true) {
    for (const auto& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        HWND h = layout.form()->Handle();
        RECT client, frame;
        ::GetClientRect(h, &client);
        ::GetWindowRect(h, &frame);
        EXPECT_EQ(client.right, Scaled(layout.rect.clientWidth, dpi));
        // The system keeps a window no taller than the screen allows (the
        // main window at 144 dpi on the tests' 768-pixel screen).
        const int frameHeight = (frame.bottom - frame.top) - client.bottom;
        EXPECT_EQ(client.bottom,
                  std::min(Scaled(layout.rect.clientHeight, dpi), ::GetSystemMetrics(SM_CYMAXTRACK) - frameHeight));
        if (atTheirPlaces && layout.rect.x != CW_USEDEFAULT) {
            EXPECT_EQ(frame.left, Scaled(layout.rect.x, dpi));
            EXPECT_EQ(frame.top, Scaled(layout.rect.y, dpi));
        }
    }
}

class DpiTest : public test::AppTest {
protected:
    int dpi_ = test::DisplayDpi();
    void SetUp() override {
        if (const char* expected = std::getenv("ORBELUNE_TEST_DPI")) {
            ASSERT_EQ(dpi_, std::atoi(expected)) << "the prefix does not report the DPI this run is for";
        }
        // The manifest makes the program aware of each monitor's DPI.
        using Awareness = int(WINAPI*)(HANDLE);
        using Context = HANDLE(WINAPI*)();
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        auto awareness = reinterpret_cast<Awareness>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
        auto context = reinterpret_cast<Context>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
        ASSERT_TRUE(awareness && context);
        EXPECT_EQ(awareness(context()), 2);  // DPI_AWARENESS_PER_MONITOR_AWARE
        Start();
        ASSERT_EQ(TheMainWindow()->Dpi(), dpi_);
    }
};

// The generations, each with the DPI calls it has: Windows 7 none, 8.1
// GetDpiForMonitor, 10 1607 those of Wine 8 (per-monitor v1: the
// manifest's "PerMonitorV2" is unknown there, as in Wine), 10 1703 on the
// same with the thread in per-monitor v2.
enum class Generation { Windows7, Windows81, Windows10v1607, Windows10v1703 };

const DpiFunctions kSystemsOwn = DpiCalls();
// A monitor of the DPI the test chooses, as GetDpiForMonitor and
// GetDpiForWindow report it (0: the real monitor's).
int monitorDpi = 0;
HRESULT WINAPI DpiForMonitor(HMONITOR monitor, int type, UINT* x, UINT* y) {
    using Call = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto real = reinterpret_cast<Call>(
        reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor")));
    if (!monitorDpi) return real(monitor, type, x, y);
    *x = *y = static_cast<UINT>(monitorDpi);
    return S_OK;
}
UINT WINAPI DpiForWindow(HWND window) {
    return monitorDpi ? static_cast<UINT>(monitorDpi) : kSystemsOwn.getDpiForWindow(window);
}
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
HANDLE WINAPI ThreadInPerMonitorV2() { return kPerMonitorV2; }
BOOL WINAPI SameContexts(HANDLE a, HANDLE b) { return a == b; }

DpiFunctions CallsOf(Generation generation) {
    DpiFunctions calls;
    if (generation == Generation::Windows81) calls.getDpiForMonitor = DpiForMonitor;
    if (generation >= Generation::Windows10v1607) {
        calls = kSystemsOwn;
        calls.getDpiForWindow = DpiForWindow;
    }
    if (generation == Generation::Windows10v1703) {
        calls.getThreadDpiAwarenessContext = ThreadInPerMonitorV2;
        calls.areDpiAwarenessContextsEqual = SameContexts;
    }
    return calls;
}

class DpiGenerationTest : public DpiTest, public testing::WithParamInterface<Generation> {
protected:
    void SetUp() override {
        DpiCalls() = CallsOf(GetParam());
        DpiTest::SetUp();
    }
    void TearDown() override {
        monitorDpi = 0;
        DpiCalls() = kSystemsOwn;
    }
};

std::string NameOf(const testing::TestParamInfo<Generation>& generation) {
    const char* names[] = {"Windows7", "Windows8_1", "Windows10_1607", "Windows10_1703"};
    return names[static_cast<int>(generation.param)];
}
INSTANTIATE_TEST_SUITE_P(Windows, DpiGenerationTest,
                         testing::Values(Generation::Windows7, Generation::Windows81, Generation::Windows10v1607,
                                         Generation::Windows10v1703),
                         NameOf);

TEST_P(DpiGenerationTest, WindowsControlsFontsAndListItemsAreTheLayoutScaled) {
    const DpiScaling scaling[] = {DpiScaling::System, DpiScaling::PerMonitor, DpiScaling::PerMonitor,
                                  DpiScaling::PerMonitorV2};
    EXPECT_EQ(CurrentDpiScaling(), scaling[static_cast<int>(GetParam())]);
    // The system's parts at another DPI: scaled only under per-monitor v2.
    const int other = dpi_ == 96 ? 144 : 96;
    EXPECT_EQ(SystemMetric(SM_CXVSCROLL, other) != ::GetSystemMetrics(SM_CXVSCROLL),
              GetParam() == Generation::Windows10v1703);
    ExpectClientAreas(dpi_);
    ExpectLayout(dpi_);
    ExpectFonts(dpi_);
}

TEST_P(DpiGenerationTest, ANewDpiLaysEveryWindowOutAgainInTheSuggestedRectangle) {
    if (GetParam() == Generation::Windows7) GTEST_SKIP() << "Windows 7 never changes a window's DPI";
    // Per-monitor v1 frames keep the system DPI's size, which the suggested
    // rectangle does not fit: the window takes its place only.
    const bool v2 = GetParam() == Generation::Windows10v1703;
    const int other = dpi_ == 96 ? 144 : 96;
    for (int dpi : {other, dpi_}) {
        for (const auto& layout : Layouts()) {
            HWND h = layout.form()->Handle();
            RECT suggested;
            ::GetWindowRect(h, &suggested);
            ::OffsetRect(&suggested, 10, 20);
            suggested.right = suggested.left + Scaled(layout.rect.clientWidth, dpi) + 16;
            suggested.bottom = suggested.top + Scaled(layout.rect.clientHeight, dpi) + 40;
            ::SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            RECT now;
            ::GetWindowRect(h, &now);
            SCOPED_TRACE(testing::Message() << layout.name << " at " << dpi);
            EXPECT_EQ(now.left, suggested.left);
            EXPECT_EQ(now.top, suggested.top);
            if (!v2) continue;
            EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);
            // The system keeps a window no taller than the screen allows.
            EXPECT_EQ(now.bottom - now.top,
                      std::min<int>(suggested.bottom - suggested.top, ::GetSystemMetrics(SM_CYMAXTRACK)));
        }
        Pump();
        if (!v2) ExpectClientAreas(dpi, false);
        ExpectLayout(dpi);
        ExpectFonts(dpi);
        int cx = 0, cy = 0;  // the picker's grid takes icons of the new size
        ::ImageList_GetIconSize(ListView_GetImageList(TheIconPicker()->Control(IconPicker::kIconGrid), LVSIL_NORMAL), &cx,
                                &cy);
        EXPECT_EQ(cx, Scaled(32, dpi));
    }
}

// The colour drawn at a point of a window, as the user sees it.
COLORREF PixelOf(HWND window, int x, int y) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = ::GetDC(window);
    const COLORREF colour = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return colour;
}

TEST_F(DpiTest, IconsAreDrawnAtTheScaledSizeFromTheirOwnImages) {
    // An icon file with a 32 and a 48 image: a scaled display shows the
    // image made for its size, not the 32 one stretched.
    test::TempFolder folder;
    const std::wstring path = folder.File(L"two.ico");
    constexpr COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), background = RGB(191, 255, 113);
    test::WriteFileBytes(path, test::IconFileBytes({{32, red}, {48, blue}}));
    const int size = Scaled(32, dpi_);
    const COLORREF expected = size > 32 ? blue : red;

    TheMainWindow()->ShowIconInPreview(MainWindow::Preview::Icon, path);
    IconImage picture;
    picture.LoadFromFile(path);
    TheIconPicker()->Show();
    TheIconPicker()->ChosenIconImage().SetPicture(picture);
    for (HWND image :
         {TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Handle(), TheIconPicker()->ChosenIconImage().Handle()}) {
        EXPECT_EQ(PixelOf(image, 0, 0), expected);
        EXPECT_EQ(PixelOf(image, size - 1, size - 1), expected);
        EXPECT_EQ(PixelOf(image, size, size), background);
    }
    EXPECT_EQ(IconSizeOf(TheIconPicker()->ChosenIconImage().Picture().Handle()).cx, 32);  // the size it is saved at
}

TEST_F(DpiTest, PickerGridAndChosenIconAtTheScaledSizeAndSavedAt32) {
    test::TempFolder folder;
    const std::wstring library = L"C:\\windows\\system32\\comctl32.dll";
    const std::wstring saved = folder.File(L"saved.ico");
    std::vector<std::wstring> answers{library, saved};
    SetFileDialogAnswerer([&](bool, FileDialogState& state) {
        if (answers.empty()) return false;
        state.fileName = answers.front();
        answers.erase(answers.begin());
        return true;
    });
    const int size = Scaled(32, dpi_);
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kOpenButton), BM_CLICK, 0, 0);
    Pump();
    HWND view = TheIconPicker()->Control(IconPicker::kIconGrid);
    ASSERT_GT(ListView_GetItemCount(view), 0);
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(ListView_GetImageList(view, LVSIL_NORMAL), &cx, &cy);
    EXPECT_EQ(cx, size);
    EXPECT_EQ(cy, size);

    ListView_SetItemState(view, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    NMHDR click{view, static_cast<UINT_PTR>(IconPicker::kIconGrid), static_cast<UINT>(NM_CLICK)};
    ::SendMessageW(TheIconPicker()->Handle(), WM_NOTIFY, IconPicker::kIconGrid, reinterpret_cast<LPARAM>(&click));
    Pump();
    // Kept (and saved) as the library's own 32 x 32 icon, drawn as its own
    // icon made at the scaled size.
    HICON own32 = nullptr;
    ASSERT_EQ(::PrivateExtractIconsW(library.c_str(), 0, 32, 32, &own32, nullptr, 1, 0), 1u);
    EXPECT_EQ(test::PixelsOf(TheIconPicker()->ChosenIconImage().Picture().Handle()), test::PixelsOf(own32));
    ::DestroyIcon(own32);
    HICON own = nullptr;
    ASSERT_EQ(::PrivateExtractIconsW(library.c_str(), 0, size, size, &own, nullptr, 1, 0), 1u);
    HWND image = TheIconPicker()->ChosenIconImage().Handle();
    HDC screen = ::GetDC(image);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    HBRUSH brush = ::CreateSolidBrush(TheIconPicker()->BackgroundColor());
    RECT all{0, 0, size, size};
    ::FillRect(memory, &all, brush);
    ::DrawIconEx(memory, 0, 0, own, size, size, 0, nullptr, DI_NORMAL);
    ::RedrawWindow(image, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    int differing = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (::GetPixel(screen, x, y) != ::GetPixel(memory, x, y)) ++differing;
    EXPECT_EQ(differing, 0);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteObject(brush);
    ::DeleteDC(memory);
    ::ReleaseDC(image, screen);
    ::DestroyIcon(own);

    // The written file holds one 32 x 32 image, whatever the display.
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
    Pump();
    SetFileDialogAnswerer(nullptr);
    const auto bytes = test::ReadFileBytes(saved);
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(bytes[6], 32);
    EXPECT_EQ(bytes[7], 32);
}

// The boxes at the DPI: the message font of the display, the icon at the
// scaled size, and the dialog units of that font.
class DpiBoxTest : public testing::Test {
protected:
    int dpi_ = test::DisplayDpi();
    DpiBoxTest() {
        SetBoxAnswerer(nullptr);
        InitializeApplication();
    }
};

struct Measured {
    RECT icon{}, text{};
    SIZE iconImage{};
    std::vector<RECT> buttons;
    std::vector<std::wstring> captions;
    LOGFONTW font{};
    int duX = 0, duY = 0;
    std::vector<int> captionWidths;
};

void Measure(HWND box, Measured& m) {
    for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(c, cls, 32);
        const RECT r = test::InParent(c);
        if (lstrcmpiW(cls, L"Button") == 0) {
            m.buttons.push_back(r);
            m.captions.push_back(test::WindowTextOf(c));
        } else if ((::GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            m.icon = r;
            m.iconImage = IconSizeOf(reinterpret_cast<HICON>(::SendMessageW(c, STM_GETICON, 0, 0)));
        } else {
            m.text = r;
            auto font = reinterpret_cast<HFONT>(::SendMessageW(c, WM_GETFONT, 0, 0));
            ::GetObjectW(font, sizeof m.font, &m.font);
            HDC dc = ::GetDC(c);
            HGDIOBJ old = ::SelectObject(dc, font);
            SIZE letters;
            ::GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
            TEXTMETRICW tm;
            ::GetTextMetricsW(dc, &tm);
            m.duX = letters.cx / 52;
            m.duY = tm.tmHeight;
            for (HWND b = ::GetWindow(box, GW_CHILD); b; b = ::GetWindow(b, GW_HWNDNEXT)) {
                ::GetClassNameW(b, cls, 32);
                if (lstrcmpiW(cls, L"Button") != 0) continue;
                RECT extent{};
                const std::wstring caption = test::WindowTextOf(b);
                ::DrawTextW(dc, caption.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
                m.captionWidths.push_back(extent.right);
            }
            ::SelectObject(dc, old);
            ::ReleaseDC(c, dc);
        }
    }
}

void ExpectBoxLayout(const Measured& m, int dpi, bool icon, LONG fontHeight) {
    EXPECT_EQ(m.font.lfHeight, fontHeight);  // the message font at the DPI
    const int margin = ::MulDiv(8, m.duX, 4), iconSize = Scaled(32, dpi);
    const int iconSpace = icon ? iconSize + ::MulDiv(10, m.duX, 4) : 0;
    if (icon) {
        EXPECT_EQ(m.icon.left, margin);
        EXPECT_EQ(m.icon.top, ::MulDiv(8, m.duY, 8));
        EXPECT_EQ(m.icon.right - m.icon.left, iconSize);
        EXPECT_EQ(m.icon.bottom - m.icon.top, iconSize);
        EXPECT_EQ(m.iconImage.cx, iconSize);
        EXPECT_EQ(m.iconImage.cy, iconSize);
    }
    EXPECT_EQ(m.text.left, margin + iconSpace);
    int width = ::MulDiv(50, m.duX, 4);
    for (int w : m.captionWidths) width = std::max(width, w + Scaled(8, dpi));
    ASSERT_FALSE(m.buttons.empty());
    for (const RECT& r : m.buttons) {
        EXPECT_EQ(r.right - r.left, width);
        EXPECT_EQ(r.bottom - r.top, ::MulDiv(14, m.duY, 8));
    }
}

LONG MessageFontHeight(int dpi) {
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof m;
    auto forDpi = reinterpret_cast<ForDpi>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
    if (forDpi)
        forDpi(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0, static_cast<UINT>(dpi));
    else
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
    return m.lfMessageFont.lfHeight;
}

TEST_F(DpiBoxTest, OurBoxesAreLaidOutAtTheDpi) {
    const struct {
        const char* what;
        std::function<void()> show;
        bool icon;
    } kinds[] = {
        {"information", [] { ShowInformation(L"空白の項目があります"); }, false},
        {"confirmation", [] { ShowConfirmation(L"続けますか？"); }, true},
        {"error", [] { ShowError(L"編集ファイルが選択されていません"); }, true},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.what);
        Measured m;
        test::BoxDriver driver({[&](HWND box) { Measure(box, m); },
                                [](HWND box) { ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0); }});
        k.show();
        ExpectBoxLayout(m, dpi_, k.icon, MessageFontHeight(dpi_));
    }
}

TEST_F(DpiBoxTest, ABoxIsLaidOutAgainAtANewDpi) {
    const int other = dpi_ == 96 ? 144 : 96;
    Measured m;
    HWND first = nullptr, focus = nullptr;
    test::BoxDriver driver({[&](HWND box) {
                                RECT r;
                                ::GetWindowRect(box, &r);
                                ::SendMessageW(box, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&r));
                            },
                            [&](HWND box) {
                                Measure(box, m);
                                focus = ::GetFocus();
                                first = ::GetDlgItem(box, IDYES);
                            },
                            [](HWND box) { ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0); }});
    EXPECT_EQ(ShowConfirmation(L"続けますか？"), BoxResult::No);
    ExpectBoxLayout(m, other, true, MessageFontHeight(other));
    EXPECT_EQ(focus, first);
}

TEST_F(DpiBoxTest, TheFailureBoxShowsItsIconAtTheScaledSize) {
    Measured m;
    test::BoxDriver driver({[&](HWND box) { Measure(box, m); },
                            [](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); }});
    ShowFailure(L"アイコンイメージが不正です");
    EXPECT_EQ(m.iconImage.cx, Scaled(32, dpi_));
    EXPECT_EQ(m.icon.right - m.icon.left, Scaled(32, dpi_));
}

// Per-monitor v1 gives each window the DPI of its monitor (Windows 7 has
// one DPI), at creation and when a hidden window is shown again, and draws
// the frame at the system DPI around the scaled client area.
TEST_P(DpiGenerationTest, AMonitorOfAnotherDpiLaysOutTheWindowsAndBoxesOnIt) {
    if (GetParam() == Generation::Windows10v1703) GTEST_SKIP() << "per-monitor v2: WM_DPICHANGED, tested above";
    const int other = dpi_ == 96 ? 144 : 96;
    const int expected = GetParam() == Generation::Windows7 ? dpi_ : other;
    monitorDpi = other;
    DestroyWindowSet();
    CreateWindowSet();
    ExpectClientAreas(expected, false);  // placed by the system DPI's screen coordinates
    ExpectLayout(expected);
    ExpectFonts(expected);

    SetBoxAnswerer(nullptr);
    Measured m;
    test::BoxDriver driver({[&](HWND box) { Measure(box, m); },
                            [](HWND box) { ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0); }});
    ShowConfirmation(L"続けますか？");
    ExpectBoxLayout(m, expected, true, MessageFontHeight(expected));

    monitorDpi = dpi_;  // moved back while hidden
    for (Form* form : {static_cast<Form*>(TheMainWindow()), static_cast<Form*>(TheLinkBrowser()), static_cast<Form*>(TheIconPicker())})
        form->Show();
    ExpectClientAreas(dpi_, false);
    ExpectLayout(dpi_);
}

}  // namespace
}  // namespace orbelune
