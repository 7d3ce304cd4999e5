#include "ui/iconpicker/form3.h"

#include "app/application.h"
#include "support/gui.h"
#include "ui/linkbrowser/form2.h"
#include "ui/main/form1.h"

namespace orbelune {
namespace {

class SubWindowTest : public test::AppTest {};

TEST_F(SubWindowTest, FramesPlacesAndSizesOfTheSubWindows) {
    Start();
    const struct {
        Form* form;
        const wchar_t* caption;
        int x, y, width, height;
    } windows[] = {
        {Form2, L"リンク先参照", 177, 161, 537, 382},
        {Form3, L"アイコン登録", 319, 168, 249, 363},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(test::Utf8(w.caption));
        HWND h = w.form->Handle();
        EXPECT_FALSE(w.form->IsShown());
        EXPECT_EQ(w.form->Caption(), w.caption);
        RECT frame, client;
        ::GetWindowRect(h, &frame);
        ::GetClientRect(h, &client);
        EXPECT_EQ(frame.left, w.x);
        EXPECT_EQ(frame.top, w.y);
        EXPECT_EQ(client.right, w.width);
        EXPECT_EQ(client.bottom, w.height);
        const LONG style = ::GetWindowLongW(h, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_FALSE(style & WS_SYSMENU);  // no title-bar buttons
        EXPECT_FALSE(style & WS_THICKFRAME);
        EXPECT_TRUE(::GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
        EXPECT_EQ(::GetWindow(h, GW_OWNER), ApplicationWindow());
    }
}

TEST_F(SubWindowTest, PickerLayoutAndColourDepthChoice) {
    Start();
    const struct {
        int id;
        int x, y, w, h;
        const wchar_t* text;
    } table[] = {
        {TForm3::IconView, 8, 8, 233, 218, L""},
        {TForm3::Button1, 7, 233, 74, 33, L"リストを開く"},
        {TForm3::Button3, 87, 233, 74, 33, L"アイコン保存"},
        {TForm3::Button2, 168, 232, 73, 33, L"戻る"},
        {TForm3::GroupBox1, 15, 281, 73, 65, L"選択中"},
        {TForm3::GBoxIcon, 123, 277, 113, 77, L"色数選択"},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        RECT r;
        ::GetWindowRect(Form3->Control(c.id), &r);
        ::MapWindowPoints(nullptr, Form3->Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.x);
        EXPECT_EQ(r.top, c.y);
        EXPECT_EQ(r.right - r.left, c.w);
        EXPECT_EQ(r.bottom - r.top, c.h);
        EXPECT_EQ(test::WindowTextOf(Form3->Control(c.id)), c.text);
    }

    // "256色" is shown selected while the depth is still the icon's own.
    EXPECT_EQ(::SendMessageW(Form3->Control(TForm3::RBtn256Color), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Form3->ChosenDepth(), 0);
    ::SendMessageW(Form3->Control(TForm3::RBtn256Color), BM_CLICK, 0, 0);
    EXPECT_EQ(Form3->ChosenDepth(), 0);  // already selected: nothing runs
    ::SendMessageW(Form3->Control(TForm3::RBtn16Color), BM_CLICK, 0, 0);
    EXPECT_EQ(Form3->ChosenDepth(), 16);
    ::SendMessageW(Form3->Control(TForm3::RBtnHiColor), BM_CLICK, 0, 0);
    EXPECT_EQ(Form3->ChosenDepth(), 65536);
    ::SendMessageW(Form3->Control(TForm3::RBtn256Color), BM_CLICK, 0, 0);
    EXPECT_EQ(Form3->ChosenDepth(), 256);

    // The choice survives leaving and reopening the picker.
    Form1->Button5Click();
    Form3->Button2Click();
    Form1->Button6Click();
    EXPECT_EQ(Form3->ChosenDepth(), 256);
    EXPECT_EQ(::SendMessageW(Form3->Control(TForm3::RBtn256Color), BM_GETCHECK, 0, 0), BST_CHECKED);
    Form3->Button2Click();
    EXPECT_TRUE(Form1->IsEnabled());
}

}  // namespace
}  // namespace orbelune
