// The three windows as a screen reader reads them (oleacc, as screen readers
// ask), as the keyboard alone drives them, and in the high-contrast mode.
#include "app/application.h"
#include "app/file_dialog.h"
#include "support/gui.h"
#include "ui/iconpicker/icon_picker.h"
#include "ui/linkbrowser/link_browser.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <commctrl.h>
#include <oleacc.h>

namespace orbelune {
namespace {

enum class Property { Name, Value, Description };

// oleacc's object for a window's client area, as a screen reader asks for it.
struct ClientObject {
    explicit ClientObject(HWND hwnd) {
        ::AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object));
    }
    ~ClientObject() {
        if (object) object->Release();
    }
    IAccessible* object = nullptr;
};

// What oleacc reads for a window's client area or one of its children.
std::wstring Read(HWND hwnd, Property what = Property::Name, LONG child = CHILDID_SELF) {
    const ClientObject client(hwnd);
    IAccessible* object = client.object;
    if (!object) return L"(no object)";
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    BSTR text = nullptr;
    if (what == Property::Value)
        object->get_accValue(id, &text);
    else if (what == Property::Description)
        object->get_accDescription(id, &text);
    else
        object->get_accName(id, &text);
    std::wstring result = text ? text : L"";
    ::SysFreeString(text);
    return result;
}

// The state oleacc reads for a child of a window's client area; 0 where
// nothing answers.
LONG StateOf(HWND hwnd, LONG child) {
    const ClientObject client(hwnd);
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    VARIANT state{};
    return client.object && SUCCEEDED(client.object->get_accState(id, &state)) && state.vt == VT_I4 ? state.lVal : 0;
}

class AccessibilityTest : public test::AppTest {
protected:
    AccessibilityTest() { ::CoInitialize(nullptr); }
    ~AccessibilityTest() override {
        SetHighContrastAnswerer(nullptr);
        SetFileDialogAnswerer(nullptr);
        ::CoUninitialize();
    }
    // Keys as the keyboard sends them to the control that has the focus.
    static void Press(WPARAM key, int times = 1, bool shift = false) {
        for (int i = 0; i < times; ++i) test::PressKey(::GetFocus(), key, shift);
    }
};

// One window's (control, name, description) table.
struct Reading {
    int id;
    const wchar_t* name;
    const wchar_t* description = L"";
};
void ExpectNames(const Form& form, std::initializer_list<Reading> table) {
    for (const auto& [id, name, description] : table) {
        SCOPED_TRACE(test::Utf8(name));
        EXPECT_EQ(Read(form.Control(id)), name);
        EXPECT_EQ(Read(form.Control(id), Property::Description), description);
    }
}

TEST_F(AccessibilityTest, EveryControlIsReadAsItIsSeen) {
    Start();
    using M = MainWindow;
    // The icon fields with their labels' tooltips; each "参照" by what it
    // browses for.
    ExpectNames(*TheMainWindow(), {{M::kButtonNameList, L"ボタン一覧"}, {M::kNameField, L"名前"},
                              {M::kLinkTargetField, L"リンク先"}, {M::kIconPathField, L"アイコン", L"通常表示されるアイコン"},
                              {M::kHotIconPathField, L"ホットアイコン", L"カーソルを重ねたときのアイコン"},
                              {M::kIconPanel, L"アイコン"}, {M::kHotIconPanel, L"ホットアイコン"},
                              {M::kLinkBrowseButton, L"リンク先参照"}, {M::kIconBrowseButton, L"アイコン参照"},
                              {M::kHotIconBrowseButton, L"ホットアイコン参照"},
                              {M::kSameAsIconCheck, L"ホットアイコンを指定しない"}, {M::kCreateButton, L"作成"},
                              {M::kEditButton, L"編集"}, {M::kDeleteButton, L"削除"}, {M::kQuitButton, L"終了"}});
    using B = LinkBrowser;
    ExpectNames(*TheLinkBrowser(), {{B::kFavoritesList, L"お気に入り"}, {B::kTypedAddressList, L"手書き入力 プルダウン"},
                               {B::kOkButton, L"OK"}, {B::kCancelButton, L"キャンセル"}, {B::kSourceGroup, L"読み込み元"},
                               {B::kFavoritesRadio, L"お気に入り"}, {B::kTypedAddressRadio, L"手書き入力"}});
    using P = IconPicker;
    ExpectNames(*TheIconPicker(), {{P::kIconGrid, L"アイコン一覧"}, {P::kOpenButton, L"リストを開く"},
                              {P::kSaveButton, L"アイコン保存"}, {P::kBackButton, L"戻る"},
                              {P::kChosenIconGroup, L"選択中"}, {P::kChosenIconImage, L"選択中"},
                              {P::kDepthGroup, L"色数選択"}, {P::kColor16Radio, L"16色"},
                              {P::kColor256Radio, L"256色"}, {P::kHighColorRadio, L"ハイカラー"}});

    // A preview (its panel and image) is read by its caption, also while
    // the caption is empty, with the file it shows as its value; the grid's
    // items by their captions.
    test::TempFolder folder;
    const std::wstring file = folder.File(L"赤.ico");
    test::WriteFileBytes(file, test::IconFileBytes(32, RGB(255, 0, 0)));
    const HWND panel = TheMainWindow()->PreviewPanel(M::Preview::Icon).Handle();
    const HWND image = TheMainWindow()->PreviewImage(M::Preview::Icon).Handle();
    EXPECT_EQ(Read(panel, Property::Value), L"");
    TheMainWindow()->SetText(M::kIconPathField, file);
    TheMainWindow()->ShowIconInPreview(M::Preview::Icon, file);
    for (HWND preview : {panel, image}) {
        EXPECT_EQ(Read(preview), L"アイコン");
        EXPECT_EQ(Read(preview, Property::Value), file);
    }
    EXPECT_EQ(Read(TheMainWindow()->PreviewImage(M::Preview::HotIcon).Handle()), L"ホットアイコン");
    TheIconPicker()->ListIconsOfFile(L"C:\\windows\\system32\\comctl32.dll");
    for (LONG item : {1, 4}) EXPECT_EQ(Read(TheIconPicker()->Control(P::kIconGrid), Property::Name, item), std::to_wstring(item - 1));
}

TEST_F(AccessibilityTest, AnIconIsChosenAndSavedWithTheKeyboardAlone) {
    test::TempFolder folder;
    const std::wstring saved = folder.File(L"keys.ico");
    SetFileDialogAnswerer([&](bool save, FileDialogState& state) {
        state.fileName = save ? saved : L"C:\\windows\\system32\\comctl32.dll";
        return true;
    });
    Start();
    // From "作成" to the icon's "参照": the list, two buttons, three fields
    // (the hot-icon field is greyed) and the link target's "参照".
    Press(VK_TAB, 8);
    ASSERT_EQ(::GetFocus(), TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Press(VK_RETURN);
    ASSERT_TRUE(TheIconPicker()->IsShown());
    ASSERT_EQ(::GetFocus(), TheIconPicker()->Control(IconPicker::kIconGrid));
    Press(VK_TAB);
    Press(VK_SPACE);  // "リストを開く"
    ASSERT_EQ(TheIconPicker()->IconGridCount(), 4);

    // Back in the grid, Home selects the first icon and chooses it; Home
    // again moves nowhere and changes nothing; Right chooses the next.
    Press(VK_TAB, 1, true);
    ASSERT_EQ(::GetFocus(), TheIconPicker()->Control(IconPicker::kIconGrid));
    Press(VK_HOME);
    const HICON first = TheIconPicker()->ChosenIconImage().Picture().Handle();
    ASSERT_TRUE(first);
    Press(VK_HOME);
    EXPECT_EQ(TheIconPicker()->ChosenIconImage().Picture().Handle(), first);
    Press(VK_RIGHT);
    EXPECT_NE(TheIconPicker()->ChosenIconImage().Picture().Handle(), first);
    EXPECT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Handle());
    // As a screen reader hears the grid now: the second item selected, the
    // first not, the last an item too; a child past it is none of ours.
    const HWND grid = TheIconPicker()->Control(IconPicker::kIconGrid);
    EXPECT_NE(StateOf(grid, 2) & STATE_SYSTEM_SELECTED, 0);
    EXPECT_EQ(StateOf(grid, 1) & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_SELECTABLE), STATE_SYSTEM_SELECTABLE);
    EXPECT_EQ(Read(grid, Property::Name, 4), L"3");
    EXPECT_NE(StateOf(grid, 4) & STATE_SYSTEM_SELECTABLE, 0);
    EXPECT_EQ(StateOf(grid, 5) & STATE_SYSTEM_SELECTABLE, 0);
    // Its children counted, as those of a preview (its image); no answer
    // into nowhere; an empty value (the hot-icon preview's, showing no
    // file) no text at all.
    const ClientObject gridObject(grid), hotIcon(TheMainWindow()->PreviewPanel(MainWindow::Preview::HotIcon).Handle());
    LONG children[2] = {};
    VARIANT self{};
    self.vt = VT_I4;  // CHILDID_SELF
    BSTR value = nullptr;
    EXPECT_EQ(gridObject.object->get_accChildCount(&children[0]) | hotIcon.object->get_accChildCount(&children[1]), S_OK);
    EXPECT_EQ(std::vector<LONG>(children, children + 2), (std::vector<LONG>{4, 1}));
    EXPECT_EQ(gridObject.object->QueryInterface(__uuidof(IAccessible), nullptr), E_POINTER);
    EXPECT_EQ(gridObject.object->get_accRole(self, nullptr), E_POINTER);
    EXPECT_EQ(hotIcon.object->get_accValue(self, &value), S_FALSE);
    EXPECT_EQ(value, nullptr);

    Press(VK_TAB, 2);
    ASSERT_EQ(::GetFocus(), TheIconPicker()->Control(IconPicker::kSaveButton));
    Press(VK_RETURN);
    EXPECT_FALSE(TheIconPicker()->IsShown());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(test::ReadFileBytes(saved).empty());
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), saved);
    EXPECT_EQ(Read(TheMainWindow()->PreviewPanel(MainWindow::Preview::Icon).Handle(), Property::Value), saved);
}

// A pixel of a window's client area; x below 0 counts from its right edge.
COLORREF PixelAt(HWND window, int x, int y) {
    test::Pump();
    RECT client{};
    ::GetClientRect(window, &client);
    if (x < 0) x += client.right;
    HDC dc = ::GetDC(window);
    const COLORREF colour = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return colour;
}

// How many WM_SYSCOLORCHANGE messages reached a control.
int colourChangesTold = 0;
LRESULT CALLBACK CountColourChanges(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_SYSCOLORCHANGE) ++colourChangesTold;
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST_F(AccessibilityTest, HighContrastPaintsInTheSystemsColoursAndBack) {
    SetHighContrastAnswerer([] { return true; });
    Start();
    const COLORREF green = RGB(191, 255, 113), face = ::GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(face, green);
    const struct {
        Form* form;
        HWND window;
        int x, y;
        COLORREF normal;
        int highContrast;  // a system colour
    } spots[] = {
        {TheMainWindow(), TheMainWindow()->Handle(), 300, 8, green, COLOR_BTNFACE},
        {TheMainWindow(), TheMainWindow()->PreviewPanel(MainWindow::Preview::Icon).Handle(), 5, 5, green, COLOR_BTNFACE},
        {TheMainWindow(), TheMainWindow()->Control(MainWindow::kSameAsIconCheck), -2, 2, green, COLOR_BTNFACE},
        // A greyed field keeps the system's colours.
        {TheMainWindow(), TheMainWindow()->Control(MainWindow::kHotIconPathField), -3, 3, face, COLOR_BTNFACE},
        {TheLinkBrowser(), TheLinkBrowser()->Handle(), 5, 5, green, COLOR_BTNFACE},
        {TheLinkBrowser(), TheLinkBrowser()->Control(LinkBrowser::kSourceGroup), 4, 14, green, COLOR_BTNFACE},
        {TheLinkBrowser(), TheLinkBrowser()->Control(LinkBrowser::kStatusBar), 500, 12, green, COLOR_BTNFACE},
        {TheLinkBrowser(), TheLinkBrowser()->Control(LinkBrowser::kFavoritesList), 100, 250, RGB(225, 255, 217), COLOR_WINDOW},
        {TheIconPicker(), TheIconPicker()->Handle(), 2, 2, green, COLOR_BTNFACE},
        {TheIconPicker(), TheIconPicker()->Control(IconPicker::kChosenIconImage), 10, 10, green, COLOR_BTNFACE},
    };
    const auto expectColours = [&](bool highContrast) {
        for (const auto& spot : spots) {
            SCOPED_TRACE(testing::Message() << "high contrast " << highContrast << ", control "
                                            << ::GetDlgCtrlID(spot.window));
            if (spot.form == TheLinkBrowser()) test::PressButton(TheMainWindow()->Control(MainWindow::kLinkBrowseButton));
            if (spot.form == TheIconPicker()) test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
            EXPECT_EQ(PixelAt(spot.window, spot.x, spot.y), highContrast ? ::GetSysColor(spot.highContrast) : spot.normal);
            if (spot.form == TheLinkBrowser()) test::PressButton(TheLinkBrowser()->Control(LinkBrowser::kCancelButton));
            if (spot.form == TheIconPicker()) test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
        }
    };
    const auto tellForms = [](UINT message) {
        for (Form* form : {static_cast<Form*>(TheMainWindow()), static_cast<Form*>(TheLinkBrowser()),
                           static_cast<Form*>(TheIconPicker())})
            ::SendMessageW(form->Handle(), message, 0, 0);
    };
    expectColours(true);  // on at creation
    SetHighContrastAnswerer(nullptr);  // off, as the system itself reports it
    tellForms(WM_SYSCOLORCHANGE);
    expectColours(false);
    SetHighContrastAnswerer([] { return true; });
    tellForms(WM_SETTINGCHANGE);
    expectColours(true);
    // New system colours while it stays on: the forms and their common
    // controls take them.
    const int element = COLOR_BTNFACE;
    const COLORREF next = RGB(40, 60, 200);
    ::SetSysColors(1, &element, &next);
    // Each form passes the news on to its controls once: on Windows the
    // common controls keep the colours they took until told.
    HWND status = TheLinkBrowser()->Control(LinkBrowser::kStatusBar);
    ::SetWindowSubclass(status, CountColourChanges, 7, 0);
    tellForms(WM_SYSCOLORCHANGE);
    ::RemoveWindowSubclass(status, CountColourChanges, 7);
    EXPECT_EQ(colourChangesTold, 1);
    expectColours(true);
    ::SetSysColors(1, &element, &face);
}

}  // namespace
}  // namespace orbelune
