#include "ui/main/main_window.h"

#include "app/application.h"
#include "app/file_dialog.h"
#include "ui/main/button_set_menu.h"
#include "store/catalogue_load.h"
#include "support/gui.h"
#include "support/icon_library.h"
#include "ui/iconpicker/icon_picker.h"
#include "support/window_set.h"

#include <commctrl.h>

#include <cstdio>
#include <functional>

namespace orbelune {
namespace {

using test::Pump;

LOGFONTW FontOf(HWND control) {
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

using test::MainWindowTest;

TEST_F(MainWindowTest, StartStateMatchesTheLayout) {
    Start();
    struct Expect {
        int id;
        const wchar_t* text;
        bool enabled, visible;
    };
    const Expect table[] = {
        {MainWindow::kButtonNameList, L"", true, true},
        {MainWindow::kButtonNumberList, L"", true, false},
        {MainWindow::kIconPanel, L"アイコン", true, true},
        {MainWindow::kHotIconPanel, L"ホットアイコン", true, false},
        {MainWindow::kNameField, L"", true, true},
        {MainWindow::kLinkTargetField, L"", true, true},
        {MainWindow::kLinkBrowseButton, L"参照", true, true},
        {MainWindow::kIconPathField, L"", true, true},
        {MainWindow::kIconBrowseButton, L"参照", true, true},
        {MainWindow::kHotIconPathField, L"アイコンと同じ", false, true},
        {MainWindow::kHotIconBrowseButton, L"参照", false, true},
        {MainWindow::kCreateButton, L"作成", true, true},
        {MainWindow::kEditButton, L"編集", true, true},
        {MainWindow::kDeleteButton, L"削除", true, true},
        {MainWindow::kQuitButton, L"終了", true, true},
    };
    for (const auto& e : table) {
        SCOPED_TRACE(testing::Message() << "control " << e.id);
        HWND c = C(e.id);
        test::ExpectAtLayoutRow(c, MainWindow::kControls, e.id, e.text);
        EXPECT_EQ(::IsWindowEnabled(c) != FALSE, e.enabled);
        EXPECT_EQ((::GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) != 0, e.visible);
    }

    // The check box: its place, and checked.
    test::ExpectAtLayoutRow(C(MainWindow::kSameAsIconCheck), MainWindow::kControls, MainWindow::kSameAsIconCheck,
                            L"ホットアイコンを指定しない");
    EXPECT_EQ(::SendMessageW(C(MainWindow::kSameAsIconCheck), BM_GETCHECK, 0, 0), BST_CHECKED);

    // Labels, bold, keep the edge that faces their field.
    for (auto [id, text] : {std::pair{MainWindow::kButtonListLabel, L"ボタン一覧"},
                            std::pair{MainWindow::kNameLabel, L"名前　："},
                            std::pair{MainWindow::kLinkTargetLabel, L"リンク先　："},
                            std::pair{MainWindow::kIconLabel, L"アイコン　："},
                            std::pair{MainWindow::kHotIconLabel, L"ホットアイコン　："}}) {
        test::ExpectAtLayoutRow(C(id), MainWindow::kControls, id, text);
        EXPECT_NE(FontOf(C(id)).lfWeight, FW_NORMAL) << "label " << id;
    }

    // The images inside the panels, hidden with no picture.
    for (auto preview : {MainWindow::Preview::Icon, MainWindow::Preview::HotIcon}) {
        ImageBox& image = TheMainWindow()->PreviewImage(preview);
        test::ExpectPlaced(image.Handle(), test::LayoutRow(MainWindow::kControls, preview == MainWindow::Preview::Icon
                                                                                    ? MainWindow::kIconImage
                                                                                    : MainWindow::kHotIconImage));
        EXPECT_FALSE(image.IsVisible());
        EXPECT_TRUE(image.Picture().Empty());
    }
}

TEST_F(MainWindowTest, WindowFrameFontAndFocus) {
    Start();
    HWND form = TheMainWindow()->Handle();
    EXPECT_EQ(TheMainWindow()->Caption(), L"Orbelune  Ver 1.0");
    RECT client;
    ::GetClientRect(form, &client);
    EXPECT_EQ(client.right, MainWindow::kFormRect.clientWidth);
    EXPECT_EQ(client.bottom, MainWindow::kFormRect.clientHeight);
    const LONG style = ::GetWindowLongW(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(::IsWindowVisible(form));
    EXPECT_EQ(::GetWindow(form, GW_OWNER), ApplicationWindow());

    const LOGFONTW font = FontOf(C(MainWindow::kNameField));
    EXPECT_STREQ(font.lfFaceName, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);

    EXPECT_EQ(::GetFocus(), C(MainWindow::kCreateButton));

    // The background colour, as painted.
    ::UpdateWindow(form);
    HDC dc = ::GetDC(form);
    EXPECT_EQ(::GetPixel(dc, 300, 8), RGB(191, 255, 113));
    ::ReleaseDC(form, dc);
}

TEST_F(MainWindowTest, TabOrderAndNoDefaultButton) {
    Start();
    std::vector<int> order;
    for (HWND c = ::GetWindow(TheMainWindow()->Handle(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (::GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) order.push_back(::GetDlgCtrlID(c));
    EXPECT_EQ(order, (std::vector<int>{MainWindow::kCreateButton, MainWindow::kButtonNameList, MainWindow::kEditButton,
                                       MainWindow::kDeleteButton, MainWindow::kNameField, MainWindow::kLinkTargetField,
                                       MainWindow::kIconPathField, MainWindow::kHotIconPathField,
                                       MainWindow::kLinkBrowseButton, MainWindow::kIconBrowseButton,
                                       MainWindow::kHotIconBrowseButton, MainWindow::kQuitButton,
                                       MainWindow::kButtonNumberList, MainWindow::kSameAsIconCheck}));

    // Tab moves on from the first button to the list.
    test::PressKey(C(MainWindow::kCreateButton), VK_TAB);
    EXPECT_EQ(::GetFocus(), C(MainWindow::kButtonNameList));
    // From the window itself, with none of its controls focused, Tab enters them.
    ::SetFocus(TheMainWindow()->Handle());
    test::PressKey(TheMainWindow()->Handle(), VK_TAB);
    EXPECT_TRUE(::IsChild(TheMainWindow()->Handle(), ::GetFocus()));

    // Enter in a field presses nothing; Enter on a focused button presses it.
    ::SetFocus(C(MainWindow::kNameField));
    test::PressKey(C(MainWindow::kNameField), VK_RETURN);
    EXPECT_FALSE(TheIconPicker()->IsShown());
    ::SetFocus(C(MainWindow::kIconBrowseButton));
    test::PressKey(C(MainWindow::kIconBrowseButton), VK_RETURN);
    EXPECT_TRUE(TheIconPicker()->IsShown());
    test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
    // Esc presses nothing.
    ::SetFocus(C(MainWindow::kNameField));
    test::PressKey(C(MainWindow::kNameField), VK_ESCAPE);
    EXPECT_TRUE(TheMainWindow()->IsShown());
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

BOOL CALLBACK FindFormTooltip(HWND h, LPARAM p) {
    wchar_t cls[64] = {};
    ::GetClassNameW(h, cls, 64);
    if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && ::GetWindow(h, GW_OWNER) == TheMainWindow()->Handle())
        *reinterpret_cast<HWND*>(p) = h;
    return TRUE;
}

TEST_F(MainWindowTest, TooltipsOnTheIconLabels) {
    Start();
    HWND tooltip = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindFormTooltip, reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_TRUE(tooltip);
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
    for (auto [label, text] : {std::pair{MainWindow::kIconLabel, L"通常表示されるアイコン"},
                               std::pair{MainWindow::kHotIconLabel, L"カーソルを重ねたときのアイコン"}}) {
        wchar_t buffer[80] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = TheMainWindow()->Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(C(label));
        tool.lpszText = buffer;
        ::SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(buffer, text);
    }
}

class PreviewTest : public MainWindowTest {
protected:
    std::wstring red_ = IconFile(L"赤.ico", 32, RGB(255, 0, 0));
    std::wstring blue_ = IconFile(L"blue.ico", 16, RGB(0, 0, 255));

    void SetUp() override {
        Start();
        ::SetFocus(C(MainWindow::kIconPathField));
    }
    bool Showing() { return TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible(); }
    std::wstring PanelCaption() { return TheMainWindow()->PreviewPanel(MainWindow::Preview::Icon).Caption(); }
    const std::vector<std::uint8_t>* Picture() {
        return TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Picture().FileBytes();
    }
};

TEST_F(PreviewTest, TypingShowsNothingUntilEnter) {
    test::Type(C(MainWindow::kIconPathField), red_);
    EXPECT_FALSE(Showing());
    EXPECT_EQ(PanelCaption(), L"アイコン");
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(PanelCaption(), L"");
    ASSERT_TRUE(Picture());
    EXPECT_EQ(*Picture(), test::ReadFileBytes(red_));
    EXPECT_TRUE(boxes_.empty());

    // One character less names no file: the preview empties at once, and
    // keeps its picture.
    ::SendMessageW(C(MainWindow::kIconPathField), WM_CHAR, VK_BACK, 1);
    Pump();
    EXPECT_FALSE(Showing());
    EXPECT_EQ(PanelCaption(), L"アイコン");
    EXPECT_TRUE(Picture());
}

TEST_F(PreviewTest, AnotherExistingFileKeepsTheOldIconUntilEnter) {
    TheMainWindow()->SetText(MainWindow::kIconPathField, red_);
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN);
    ASSERT_TRUE(Showing());
    TheMainWindow()->SetText(MainWindow::kIconPathField, blue_);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(*Picture(), test::ReadFileBytes(red_));
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN, false, true);  // Ctrl+Enter
    EXPECT_EQ(*Picture(), test::ReadFileBytes(blue_));
    // Setting the same text again is no change.
    TheMainWindow()->SetText(MainWindow::kIconPathField, blue_);
    ::SetWindowTextW(C(MainWindow::kIconPathField), blue_.c_str());
    Pump();
    EXPECT_TRUE(Showing());
}

TEST_F(PreviewTest, EnterOnAFolderOrMissingFileChangesNothing) {
    TheMainWindow()->SetText(MainWindow::kIconPathField, red_);
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN, true);  // Shift+Enter
    ASSERT_TRUE(Showing());
    for (const std::wstring& path : {folder_.Path(), folder_.File(L"missing.ico"), std::wstring()}) {
        ::SendMessageW(C(MainWindow::kIconPathField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Pump();
        EXPECT_FALSE(Showing());  // the change rule emptied it
        test::PressKey(C(MainWindow::kIconPathField), VK_RETURN, false, false, true);  // Alt+Enter
        EXPECT_FALSE(Showing());
        EXPECT_EQ(PanelCaption(), L"アイコン");
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(PreviewTest, FilesThatAreNoIconsFailAndLeaveThePreview) {
    TheMainWindow()->SetText(MainWindow::kIconPathField, red_);
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN);
    ASSERT_TRUE(Showing());
    const auto shown = *Picture();

    auto icon = test::IconFileBytes(32, RGB(0, 255, 0));
    auto wrongType = icon;
    wrongType[2] = 2;  // a cursor file
    auto countTooHigh = icon;
    countTooHigh[4] = 9;  // nine directory entries do not fit
    auto offsetPastEnd = icon;
    offsetPastEnd[18] = 0xF0;
    auto sizePastEnd = icon;
    sizePastEnd[15] = 0x7F;
    auto noImages = icon;
    noImages[4] = 0;
    auto badImage = icon;
    badImage[22] = 7;  // no bitmap header where the image should start
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
        std::wstring message;
    } cases[] = {
        {"empty", {}, L"ストリームからの読み込みエラー"},
        {"three bytes", {0, 0, 1}, L"ストリームからの読み込みエラー"},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n', 'x'}, L"アイコンイメージが不正です."},
        {"cursor", wrongType, L"アイコンイメージが不正です."},
        {"count too high", countTooHigh, L"アイコンイメージが不正です."},
        {"offset past end", offsetPastEnd, L"アイコンイメージが不正です."},
        {"no images", noImages, L"アイコンイメージが不正です."},
        {"header only", {0, 0, 1, 0, 1, 0}, L"アイコンイメージが不正です."},
        {"bad image", badImage, L"アイコンイメージが不正です."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring path = folder_.File(L"bad.ico");
        test::WriteFileBytes(path, c.bytes);
        TheMainWindow()->SetText(MainWindow::kIconPathField, path);
        TheMainWindow()->ShowIconInPreview(MainWindow::Preview::Icon, red_);  // showing before Enter
        boxes_.clear();
        test::PressKey(C(MainWindow::kIconPathField), VK_RETURN);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
        EXPECT_EQ(boxes_[0].text, c.message == L"ストリームからの読み込みエラー" ? c.message + L"." : c.message);
        EXPECT_TRUE(Showing());
        EXPECT_EQ(PanelCaption(), L"");
        EXPECT_EQ(*Picture(), shown);
    }

    // An entry stating far more than its whole image: read as the platform
    // reads it, as far as the image needs.
    const std::wstring longEntry = folder_.File(L"long.ico");
    test::WriteFileBytes(longEntry, sizePastEnd);
    TheMainWindow()->SetText(MainWindow::kIconPathField, longEntry);
    boxes_.clear();
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(Showing());
    ASSERT_TRUE(Picture());
    EXPECT_EQ(*Picture(), icon);

    // A file that cannot be opened.
    TheMainWindow()->SetText(MainWindow::kIconPathField, red_);  // the first file shown again
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN);
    const std::wstring locked = folder_.File(L"locked.ico");
    test::WriteFileBytes(locked, icon);
    HANDLE hold = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    TheMainWindow()->SetText(MainWindow::kIconPathField, locked);
    TheMainWindow()->ShowIconInPreview(MainWindow::Preview::Icon, red_);
    boxes_.clear();
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN);
    ::CloseHandle(hold);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"ファイル " + locked + L" は開けません.");
    EXPECT_EQ(*Picture(), shown);
}

// An icon file of one 8192 x 8192 PNG image, which the platform takes
// seconds to make into an icon: the windows answer meanwhile, and the
// preview shows it at its own size.
TEST_F(PreviewTest, LargeImageIsShownWhileTheWindowsAnswer) {
    const std::wstring large = folder_.File(L"large.ico");
    const test::Bytes png = test::BandedPngBytes(8192, 8192, 8, 1);
    test::WriteFileBytes(large, test::IcoFileOf({{{0, 0, 0, 1, 32, static_cast<std::uint32_t>(png.size())}, png}}));
    TheMainWindow()->SetText(MainWindow::kIconPathField, large);
    test::AnswerProbe probe(TheMainWindow()->Handle(), 1500);
    test::PressKey(C(MainWindow::kIconPathField), VK_RETURN);
    probe.Stop();
    std::printf("the main window answered within %lu ms while the image was made\n", probe.Longest());
    EXPECT_EQ(probe.Unanswered(), 0);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(Showing());
    const SIZE size = IconSizeOf(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Picture().Handle());
    EXPECT_EQ(size.cx, 8192);
    EXPECT_EQ(size.cy, 8192);
    EXPECT_TRUE(::IsWindowEnabled(TheMainWindow()->Handle()));
}

TEST_F(PreviewTest, HotIconFieldFollowsTheSameRules) {
    ::SendMessageW(C(MainWindow::kSameAsIconCheck), BM_CLICK, 0, 0);
    Pump();
    ::SetFocus(C(MainWindow::kHotIconPathField));
    test::Type(C(MainWindow::kHotIconPathField), blue_);
    ImageBox& image = TheMainWindow()->PreviewImage(MainWindow::Preview::HotIcon);
    EXPECT_FALSE(image.IsVisible());
    test::PressKey(C(MainWindow::kHotIconPathField), VK_RETURN);
    EXPECT_TRUE(image.IsVisible());
    EXPECT_EQ(TheMainWindow()->PreviewPanel(MainWindow::Preview::HotIcon).Caption(), L"");
    EXPECT_FALSE(Showing());  // the icon preview is not touched
    ::SendMessageW(C(MainWindow::kHotIconPathField), WM_CHAR, VK_BACK, 1);
    Pump();
    EXPECT_FALSE(image.IsVisible());
    EXPECT_EQ(TheMainWindow()->PreviewPanel(MainWindow::Preview::HotIcon).Caption(), L"ホットアイコン");
}

TEST_F(MainWindowTest, CheckBoxSwitchesTheHotIconFieldBothWays) {
    Start();
    Panel& hotIconPanel = TheMainWindow()->PreviewPanel(MainWindow::Preview::HotIcon);
    ::SendMessageW(C(MainWindow::kSameAsIconCheck), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(TheMainWindow()->HotIconSameAsIcon());
    EXPECT_TRUE(::IsWindowEnabled(C(MainWindow::kHotIconPathField)));
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"");
    EXPECT_TRUE(::IsWindowEnabled(C(MainWindow::kHotIconBrowseButton)));
    EXPECT_TRUE(::IsWindowVisible(hotIconPanel.Handle()));
    EXPECT_EQ(hotIconPanel.Caption(), L"ホットアイコン");

    TheMainWindow()->SetText(MainWindow::kHotIconPathField, L"C:\\typed.ico");
    ::SendMessageW(C(MainWindow::kSameAsIconCheck), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(TheMainWindow()->HotIconSameAsIcon());
    EXPECT_FALSE(::IsWindowEnabled(C(MainWindow::kHotIconPathField)));
    EXPECT_EQ(T(MainWindow::kHotIconPathField), L"アイコンと同じ");  // the typed path is gone
    EXPECT_FALSE(::IsWindowEnabled(C(MainWindow::kHotIconBrowseButton)));
    EXPECT_FALSE(::IsWindowVisible(hotIconPanel.Handle()));
    EXPECT_FALSE(TheMainWindow()->PreviewImage(MainWindow::Preview::HotIcon).IsVisible());
}

TEST_F(MainWindowTest, BrowseButtonsOpenThePickerInItsMode) {
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"AppPath", L"C:\\Tools\\Buttons\\");
    Start();
    for (auto [button, caption] : {std::pair{MainWindow::kIconBrowseButton, L"アイコン参照"},
                                   std::pair{MainWindow::kHotIconBrowseButton, L"ホットアイコン参照"}}) {
        SCOPED_TRACE(testing::Message() << "button " << button);
        // Whatever the picker held before is emptied.
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"0");
        ::SendMessageW(TheIconPicker()->Control(IconPicker::kIconGrid), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        IconImage picture;
        picture.SetHandle(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
        TheIconPicker()->ChosenIconImage().SetPicture(picture);
        TheIconPicker()->SetCaption(L"something else");

        if (button == MainWindow::kHotIconBrowseButton) {
            ::SendMessageW(C(MainWindow::kSameAsIconCheck), BM_CLICK, 0, 0);
            Pump();
        }
        ::SendMessageW(C(button), BM_CLICK, 0, 0);
        Pump();
        EXPECT_EQ(TheIconPicker()->Caption(), caption);
        EXPECT_TRUE(TheIconPicker()->IsShown());
        EXPECT_FALSE(TheMainWindow()->IsEnabled());
        EXPECT_EQ(TheIconPicker()->IconGridCount(), 0);
        EXPECT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Empty());
        EXPECT_EQ(TheIconPicker()->openDialog.initialFolder, L"C:\\Tools\\Buttons\\icon");
        EXPECT_EQ(TheIconPicker()->saveDialog.initialFolder, L"C:\\Tools\\Buttons\\icon");

        ::SendMessageW(TheIconPicker()->Control(IconPicker::kBackButton), BM_CLICK, 0, 0);  // back
        Pump();
        EXPECT_TRUE(TheMainWindow()->IsEnabled());
        EXPECT_FALSE(TheIconPicker()->IsShown());
    }
}

TEST_F(MainWindowTest, EndButtonClosesTheProgramWithoutAQuestion) {
    Start();
    TheMainWindow()->SetText(MainWindow::kNameField, L"unsaved name");
    ::SendMessageW(C(MainWindow::kQuitButton), BM_CLICK, 0, 0);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_FALSE(TheMainWindow()->IsShown());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, TaskBarCloseWorksWhileASubWindowIsOpen) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    ASSERT_FALSE(TheMainWindow()->IsEnabled());
    ::SendMessageW(ApplicationWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, MinimisingHidesTheProgramIntoItsTaskBarEntry) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    ::SendMessageW(TheMainWindow()->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(::IsIconic(ApplicationWindow()));
    EXPECT_FALSE(TheMainWindow()->IsShown());
    EXPECT_FALSE(TheIconPicker()->IsShown());
    ::SendMessageW(ApplicationWindow(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(::IsIconic(ApplicationWindow()));
    EXPECT_TRUE(TheMainWindow()->IsShown());
    EXPECT_TRUE(TheIconPicker()->IsShown());
    EXPECT_FALSE(TheMainWindow()->IsEnabled());  // still behind the open picker
}

TEST_F(MainWindowTest, LoadFailureIsShownAndStartUpGoesOn) {
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"ButtonDat", L"1");
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"ButtonNum0", L"first");
    test::SetDword(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"ButtonNum1", 1);
    Start();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, BoxKind::Failure);
    EXPECT_EQ(boxes_[0].text, L"'ButtonNum1' のデータ型が不正です.");
    EXPECT_TRUE(TheMainWindow()->IsShown());
    EXPECT_EQ(::SendMessageW(C(MainWindow::kButtonNameList), LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(C(MainWindow::kButtonNumberList), LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(TheMainWindow()->IconFolder(), L"");  // the load ended before AppPath
}

// Whether the first row of a list box shows anything but its background, as
// painted on the screen.
bool FirstRowPainted(HWND list) {
    Pump();
    const int rowHeight = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    ::GetClientRect(list, &client);
    HDC dc = ::GetDC(list);
    const COLORREF background = ::GetPixel(dc, client.right - 1, client.bottom - 1);
    int painted = 0;
    for (int y = 0; y < rowHeight; ++y)
        for (int x = 0; x < client.right; ++x)
            if (::GetPixel(dc, x, y) != background) ++painted;
    ::ReleaseDC(list, dc);
    return painted > 0;
}

// The lists are filled without redrawing at each append: they are painted
// again once the load ends, also when a failure ends it, and also when the
// edit reloads them in the shown window; the number list stays hidden.
TEST_F(MainWindowTest, ListsArePaintedAfterEveryLoad) {
    struct Case {
        const char* what;
        bool secondOfWrongType;
        bool reloadWhileShown;
    } const cases[] = {
        {"start-up", false, false},
        {"start-up ended by a failure", true, false},
        {"reload in the shown window", false, true},
    };
    const std::wstring catalogue = L"\\Software\\Tollivern";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::DeleteKeyTree(HKEY_CURRENT_USER, catalogue);
        if (!c.reloadWhileShown) {
            test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonDat", L"1");
            test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum0", L"最初のボタン");
            if (c.secondOfWrongType)
                test::SetDword(HKEY_CURRENT_USER, catalogue, L"ButtonNum1", 1);
            else
                test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum1", L"次のボタン");
        }
        Start();
        if (c.reloadWhileShown) {
            ASSERT_FALSE(FirstRowPainted(C(MainWindow::kButtonNameList)));
            test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonDat", L"0");
            test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum0", L"最初のボタン");
            TheMainWindow()->ClearButtonLists();
            LoadCatalogue(*TheMainWindow());
        }
        const std::vector<std::wstring> names = test::ListItems(C(MainWindow::kButtonNameList));
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.front(), L"最初のボタン");
        EXPECT_TRUE(FirstRowPainted(C(MainWindow::kButtonNameList)));
        EXPECT_FALSE(::IsWindowVisible(C(MainWindow::kButtonNumberList)));
        DestroyWindowSet();
    }
}


// The button list's context menu as a timer inside its loop sees it: its
// items and where it stands; it is closed again.
struct MenuSeen {
    std::vector<std::wstring> items;
    std::vector<UINT> ids;
    POINT at{};
};
MenuSeen seenMenu;
void CALLBACK ReadMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = ::FindWindowW(L"#32768", nullptr);
    if (!window || !::IsWindowVisible(window)) return;
    ::KillTimer(nullptr, timer);
    const auto menu = reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        seenMenu.items.emplace_back(text);
        seenMenu.ids.push_back(::GetMenuItemID(menu, i));
    }
    RECT r{};
    ::GetWindowRect(window, &r);
    seenMenu.at = {r.left, r.top};
    ::EndMenu();
}

// From the mouse, Shift+F10 and the menu key: the menu at the pointer or
// below the selected button; "書き出し…" writes the file the save dialog
// names, "読み込み…" makes its buttons, which the list shows.
TEST_F(MainWindowTest, ButtonListMenuExportsAndImports) {
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Tollivern", L"AppPath", folder_.Path() + L"\\");
    Start();
    TheMainWindow()->SetText(MainWindow::kNameField, L"メモ帳");
    TheMainWindow()->SetText(MainWindow::kLinkTargetField, L"C:\\a.exe");
    TheMainWindow()->SetText(MainWindow::kIconPathField, IconFile(L"a.ico", 32, RGB(10, 20, 30)));
    Click(MainWindow::kCreateButton);
    HWND list = C(MainWindow::kButtonNameList), window = TheMainWindow()->Handle();
    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    RECT item{};
    ::SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    POINT below{item.left, item.bottom}, click{5, 5};
    ::ClientToScreen(list, &below);
    ::ClientToScreen(list, &click);
    const std::function<void()> ways[] = {
        [&] { ::PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(5, 5)); },
        [&] {
            BYTE keys[256];
            ::GetKeyboardState(keys);
            keys[VK_SHIFT] = 0x80;
            ::SetKeyboardState(keys);
            ::PostMessageW(list, WM_SYSKEYDOWN, VK_F10, 1);
        },
        [&] { test::PressKey(list, VK_APPS); },
    };
    for (std::size_t way = 0; way < std::size(ways); ++way) {
        seenMenu = {};
        ::SetTimer(nullptr, 0, 30, ReadMenu);
        ways[way]();
        Pump();
        test::PressKey(list, VK_SHIFT);  // lets go of Shift
        EXPECT_EQ(seenMenu.items, (std::vector<std::wstring>{L"書き出し…", L"読み込み…"})) << way;
        const POINT want = way == 0 ? click : below;
        EXPECT_EQ(std::pair(seenMenu.at.x, seenMenu.at.y), std::pair(want.x, want.y)) << way;
    }
    ASSERT_EQ(seenMenu.ids.size(), 2u);

    const std::wstring file = folder_.File(L"set.ins");
    SetFileDialogAnswerer([&](bool, FileDialogState& state) {
        state.fileName = file;
        return true;
    });
    Answer({BoxResult::No});  // not only the selected button: all of them
    ::PostMessageW(window, WM_COMMAND, seenMenu.ids[0], 0);
    Pump();
    wchar_t caption[64] = {};
    ::GetPrivateProfileStringW(L"BrowserToolbars", L"Caption0", L"", caption, 64, file.c_str());
    EXPECT_STREQ(caption, L"メモ帳");
    EXPECT_EQ(boxes_.back().text, L"1 個のボタンを書き出しました。");

    test::SendNotification(list, LBN_SELCHANGE);
    Click(MainWindow::kDeleteButton);
    EXPECT_TRUE(test::ListItems(list).empty());
    ::PostMessageW(window, WM_COMMAND, seenMenu.ids[1], 0);
    Pump();
    SetFileDialogAnswerer(nullptr);
    EXPECT_EQ(test::ListItems(list), std::vector<std::wstring>{L"メモ帳"});
    EXPECT_EQ(boxes_.back().text, L"作成 1 個、置き換え 0 個、スキップ 0 個。");
}

}  // namespace
}  // namespace orbelune
