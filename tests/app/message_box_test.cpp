#include "app/message_box.h"

#include "app/application.h"
#include "app/window.h"
#include "support/box_driver.h"
#include "support/gui.h"
#include "ui/iconpicker/icon_picker.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <functional>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>
#include <set>

namespace orbelune {
namespace {

using test::BoxDriver;
using test::FocusedOr;

void SetCtrl(bool down) {
    BYTE state[256];
    ::GetKeyboardState(state);
    state[VK_CONTROL] = down ? 0x80 : 0;
    ::SetKeyboardState(state);
}

BoxDriver::Step Key(WPARAM key) {
    return [key](HWND box) { ::PostMessageW(FocusedOr(box), WM_KEYDOWN, key, 1); };
}
BoxDriver::Step CloseBox() {
    return [](HWND box) { ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); };
}
BoxDriver::Step Mnemonic(wchar_t c) {
    return [c](HWND box) { ::PostMessageW(FocusedOr(box), WM_SYSCHAR, c, 1 << 29); };
}

std::vector<HWND> Children(HWND box, const wchar_t* cls) {
    std::vector<HWND> found;
    for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        ::GetClassNameW(c, name, 32);
        if (lstrcmpiW(name, cls) == 0) found.push_back(c);
    }
    return found;
}

std::wstring Clipboard() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = p;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

class MessageBoxTest : public testing::Test {
protected:
    MessageBoxTest() {
        SetBoxAnswerer(nullptr);
        InitializeApplication();
    }
};

TEST_F(MessageBoxTest, ConfirmationAnswers) {
    const std::wstring question = L"アイコンに存在しないファイルが選択されています。そのまま続けますか？";
    const struct {
        const char* what;
        BoxDriver::Step step;
        BoxResult result;
    } cases[] = {
        {"Enter", Key(VK_RETURN), BoxResult::Yes},
        {"Esc", Key(VK_ESCAPE), BoxResult::No},
        {"close box", CloseBox(), BoxResult::Cancel},
        {"Alt+N", Mnemonic(L'n'), BoxResult::No},
        {"Alt+Y", Mnemonic(L'y'), BoxResult::Yes},
        {"Tab then Enter", [](HWND box) {
             ::PostMessageW(FocusedOr(box), WM_KEYDOWN, VK_TAB, 1);
             ::PostMessageW(box, WM_NULL, 0, 0);
         }, BoxResult::No},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<BoxDriver::Step> steps{c.step};
        if (std::string(c.what) == "Tab then Enter") steps.push_back(Key(VK_RETURN));
        BoxDriver driver(steps);
        EXPECT_EQ(ShowConfirmation(question), c.result);
        ASSERT_TRUE(driver.Box());
        EXPECT_FALSE(::IsWindow(driver.Box()));  // gone when the call returns
    }
}

TEST_F(MessageBoxTest, EachKindHasItsCaptionIconAndButtons) {
    const struct {
        const char* what;
        std::function<void()> show;
        const wchar_t* caption;
        bool icon;
        std::vector<std::wstring> buttons;
    } kinds[] = {
        {"information", [] { ShowInformation(L"空白の項目があります"); }, L"Orbelune", false, {L"OK"}},
        {"confirmation", [] { ShowConfirmation(L"続けますか？"); }, L"確認", true, {L"はい(&Y)", L"いいえ(&N)"}},
        {"error", [] { ShowError(L"編集ファイルが選択されていません"); }, L"エラー", true, {L"OK"}},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.what);
        std::wstring caption;
        std::vector<std::wstring> buttons;
        bool hasIcon = false;
        HWND focus = nullptr, first = nullptr;
        LONG_PTR firstStyle = 0;
        for (auto close : {Key(VK_RETURN), Key(VK_ESCAPE), CloseBox()}) {
            BoxDriver driver({[&](HWND box) {
                                  caption = test::WindowTextOf(box);
                                  buttons.clear();
                                  for (HWND b : Children(box, L"Button")) buttons.push_back(test::WindowTextOf(b));
                                  hasIcon = false;
                                  for (HWND s : Children(box, L"Static"))
                                      if ((::GetWindowLongW(s, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) hasIcon = true;
                                  focus = ::GetFocus();
                                  first = Children(box, L"Button").front();
                                  firstStyle = ::GetWindowLongPtrW(first, GWL_STYLE);
                              },
                              close});
            k.show();  // every way out returns
            ASSERT_TRUE(driver.Box());
            EXPECT_FALSE(::IsWindow(driver.Box()));
        }
        EXPECT_EQ(caption, k.caption);
        EXPECT_EQ(buttons, k.buttons);
        EXPECT_EQ(hasIcon, k.icon);
        EXPECT_EQ(focus, first);
        EXPECT_EQ(firstStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    }
}

TEST_F(MessageBoxTest, LayoutFollowsTheDialogUnitsOfTheMessageFont) {
    std::wstring longText;
    for (int i = 0; i < 40; ++i) longText += L"アイコンに存在しないファイル ";
    RECT window{}, textRect{}, iconRect{};
    std::vector<RECT> buttonRects;
    int duX = 0, duY = 0;
    BoxDriver driver({[&](HWND box) {
                          ::GetWindowRect(box, &window);
                          HWND text = nullptr;
                          for (HWND s : Children(box, L"Static")) {
                              RECT r;
                              ::GetWindowRect(s, &r);
                              ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
                              if ((::GetWindowLongW(s, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) iconRect = r;
                              else { textRect = r; text = s; }
                          }
                          for (HWND b : Children(box, L"Button")) {
                              RECT r;
                              ::GetWindowRect(b, &r);
                              ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
                              buttonRects.push_back(r);
                          }
                          HDC dc = ::GetDC(text);
                          HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(text, WM_GETFONT, 0, 0)));
                          SIZE letters;
                          ::GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
                          TEXTMETRICW tm;
                          ::GetTextMetricsW(dc, &tm);
                          ::SelectObject(dc, old);
                          ::ReleaseDC(text, dc);
                          duX = letters.cx / 52;
                          duY = tm.tmHeight;
                      },
                      Key(VK_RETURN)});
    ShowConfirmation(longText);

    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((window.left + window.right) / 2, screenWidth / 2, 1);  // centred on the screen
    EXPECT_NEAR((window.top + window.bottom) / 2, screenHeight / 2, 1);
    EXPECT_LE(textRect.right - textRect.left, screenWidth / 2);          // wrapped to half the screen
    EXPECT_GT(textRect.bottom - textRect.top, duY * 2);                  // on several lines

    const int margin = ::MulDiv(8, duX, 4);
    EXPECT_EQ(iconRect.left, margin);
    EXPECT_EQ(iconRect.top, ::MulDiv(8, duY, 8));
    EXPECT_EQ(iconRect.right - iconRect.left, 32);
    EXPECT_EQ(textRect.left, margin + 32 + ::MulDiv(10, duX, 4));
    ASSERT_EQ(buttonRects.size(), 2u);
    for (const RECT& r : buttonRects) {
        EXPECT_EQ(r.bottom - r.top, ::MulDiv(14, duY, 8));
        EXPECT_GE(r.right - r.left, ::MulDiv(50, duX, 4));
        EXPECT_EQ(r.right - r.left, buttonRects[0].right - buttonRects[0].left);
        EXPECT_EQ(r.top, textRect.bottom + ::MulDiv(10, duY, 8));
    }
    EXPECT_EQ(buttonRects[1].left - buttonRects[0].right, ::MulDiv(4, duX, 4));
}

TEST_F(MessageBoxTest, CtrlCCopiesTheBoxAsSevenLines) {
    std::wstring copied;
    BoxDriver driver({[](HWND box) {
                          SetCtrl(true);
                          ::PostMessageW(FocusedOr(box), WM_KEYDOWN, 'C', 1);
                      },
                      [&](HWND) {
                          SetCtrl(false);
                          copied = Clipboard();
                      },
                      Key(VK_ESCAPE)});
    EXPECT_EQ(ShowConfirmation(L"そのまま続けますか？"), BoxResult::No);
    const std::wstring rule(27, L'-');
    EXPECT_EQ(copied, rule + L"\r\n確認\r\n" + rule + L"\r\nそのまま続けますか？\r\n" + rule + L"\r\nはい(Y)   いいえ(N)   \r\n" +
                          rule + L"\r\n");
    EXPECT_EQ(BoxClipboardText(L"Orbelune", L"a&b", {L"OK"}),
              rule + L"\r\nOrbelune\r\n" + rule + L"\r\na&b\r\n" + rule + L"\r\nOK   \r\n" + rule + L"\r\n");
}

class BoxWindowsTest : public test::AppTest {};

TEST_F(BoxWindowsTest, OtherWindowsAreDisabledWhileABoxIsOpenAndGivenBackExactly) {
    Start();
    SetBoxAnswerer(nullptr);
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));  // the picker is open: the main window is disabled
    ASSERT_FALSE(TheMainWindow()->IsEnabled());
    ASSERT_TRUE(TheIconPicker()->IsEnabled());
    bool iconPickerEnabled = true, appEnabled = true;
    BoxDriver driver({[&](HWND) {
                          iconPickerEnabled = TheIconPicker()->IsEnabled();
                          appEnabled = ::IsWindowEnabled(ApplicationWindow()) != FALSE;
                      },
                      Key(VK_RETURN)});
    ShowInformation(L"選択されていません");
    EXPECT_FALSE(iconPickerEnabled);
    EXPECT_FALSE(appEnabled);
    EXPECT_TRUE(TheIconPicker()->IsEnabled());
    EXPECT_TRUE(::IsWindowEnabled(ApplicationWindow()));
    EXPECT_FALSE(TheMainWindow()->IsEnabled());  // still disabled by the picker
}

TEST_F(BoxWindowsTest, FailureBoxIsTheSystemBoxOwnedByTheApplicationWindow) {
    Start();
    SetBoxAnswerer(nullptr);
    ::SetFocus(TheMainWindow()->Control(MainWindow::kLinkTargetField));
    std::wstring caption, text;
    HWND owner = nullptr;
    bool mainWindowEnabled = true;
    BoxDriver driver({[&](HWND box) {
                          caption = test::WindowTextOf(box);
                          text = test::WindowTextOf(::GetDlgItem(box, 0xFFFF));
                          owner = ::GetWindow(box, GW_OWNER);
                          mainWindowEnabled = TheMainWindow()->IsEnabled();
                      },
                      Key(VK_RETURN)});
    ShowFailure(L"アイコンイメージが不正です");
    EXPECT_EQ(caption, L"Orbelune");
    EXPECT_EQ(text, L"アイコンイメージが不正です.");
    EXPECT_EQ(owner, ApplicationWindow());
    EXPECT_FALSE(mainWindowEnabled);
    EXPECT_TRUE(TheMainWindow()->IsEnabled());
    EXPECT_EQ(::GetActiveWindow(), TheMainWindow()->Handle());
    EXPECT_EQ(::GetFocus(), TheMainWindow()->Control(MainWindow::kLinkTargetField));
}

// Whatever ends a handler, the user reads one of the program's own messages,
// never a library's English text.
TEST_F(BoxWindowsTest, EveryFailureIsShownInTheProgramsOwnWords) {
    Start();
    const std::pair<std::function<void()>, std::wstring> cases[] = {
        {[] { throw Failure(L"アイコンイメージが不正です"); }, L"アイコンイメージが不正です."},
        {[] { throw std::bad_alloc(); }, L"メモリが足りません."},
        {[] { std::vector<char>(std::vector<char>().max_size() + std::size_t{1}); },
         std::wstring(kUnexpectedFailure) + L"."},
        {[] { std::wstring().at(1); }, std::wstring(kUnexpectedFailure) + L"."},
    };
    for (const auto& [fail, shown] : cases) {
        boxes_.clear();
        EXPECT_FALSE(RunHandler(fail));
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
        EXPECT_EQ(boxes_[0].text, shown);
    }
}

TEST(FailureBoxText, FullStopAfterACharacterThatSortsAboveIt) {
    const struct {
        const wchar_t* message;
        const wchar_t* shown;
    } cases[] = {
        {L"アイコンイメージが不正です", L"アイコンイメージが不正です."},
        {L"'abc' は整数ではありません", L"'abc' は整数ではありません."},
        {L"Invalid Bitmap", L"Invalid Bitmap."},
        {L"done.", L"done."},
        {L"(x)", L"(x)"},
        {L"a-", L"a-"},
        {L"a,", L"a,"},
        {L"a/", L"a/."},
        {L"1", L"1."},
        {L"ｱ", L"ｱ."},      // half-width katakana: one byte above "."
        {L"x\U0001F600", L"x\U0001F600."},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(FailureBoxText(c.message), c.shown);
}

}  // namespace
}  // namespace orbelune
