#include "ui/iconpicker/form3.h"

#include "app/application.h"
#include "support/box_driver.h"
#include "support/gui.h"
#include "ui/linkbrowser/form2.h"
#include "ui/main/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>

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

namespace orbelune {
namespace {

// The picker with its file dialogs answered by the test.
class PickerTest : public test::AppTest {
protected:
    struct DialogAnswer {
        std::wstring fileName;  // empty: the user cancels
        int filterIndex = 1;
    };
    test::TempFolder folder_;
    std::deque<DialogAnswer> answers_;
    std::vector<FileDialogState> shown_;  // the state each dialog was shown with

    PickerTest() {
        SetFileDialogAnswerer([this](bool, FileDialogState& state) {
            shown_.push_back(state);
            if (answers_.empty() || answers_.front().fileName.empty()) {
                if (!answers_.empty()) answers_.pop_front();
                return false;
            }
            state.fileName = answers_.front().fileName;
            state.filterIndex = answers_.front().filterIndex;
            answers_.pop_front();
            return true;
        });
    }
    ~PickerTest() override { SetFileDialogAnswerer(nullptr); }

    void Open(const std::wstring& path, int filterIndex = 1) {
        answers_.push_back({path, filterIndex});
        ::SendMessageW(Form3->Control(TForm3::Button1), BM_CLICK, 0, 0);
        test::Pump();
    }
    void ClickItem(int item) {
        HWND view = Form3->Control(TForm3::IconView);
        ListView_SetItemState(view, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        NMHDR click{view, static_cast<UINT_PTR>(TForm3::IconView), static_cast<UINT>(NM_CLICK)};
        ::SendMessageW(Form3->Handle(), WM_NOTIFY, TForm3::IconView, reinterpret_cast<LPARAM>(&click));
        test::Pump();
    }
    std::vector<std::wstring> Captions() {
        std::vector<std::wstring> captions;
        HWND view = Form3->Control(TForm3::IconView);
        for (int i = 0; i < ListView_GetItemCount(view); ++i) {
            wchar_t text[16] = {};
            ListView_GetItemText(view, i, 0, text, 16);
            captions.emplace_back(text);
        }
        return captions;
    }
    int Selected() { return ListView_GetNextItem(Form3->Control(TForm3::IconView), -1, LVNI_SELECTED); }
    std::wstring WriteIcon(const std::wstring& name) {
        const std::wstring path = folder_.File(name);
        test::WriteFileBytes(path, test::IconFileBytes(32, RGB(0, 128, 0)));
        return path;
    }
};

const std::wstring kComctl = L"C:\\windows\\system32\\comctl32.dll";  // four icons
const std::wstring kNoIcons = L"C:\\windows\\system32\\wineboot.exe";

TEST_F(PickerTest, ListsEveryIconOfALibraryOrProgram) {
    Start();
    Form1->Button5Click();
    Open(kComctl);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"0", L"1", L"2", L"3"}));
    EXPECT_EQ(Form3->IconCount(), 4);
    EXPECT_EQ(Selected(), -1);
    EXPECT_TRUE(Form3->IsShown());  // listing leaves the picker open
    EXPECT_EQ(shown_.at(0).initialFolder, Form1->IconFolder());
    EXPECT_EQ(shown_.at(0).filterIndex, 1);

    // With the executable or library filter any file is listed.
    Open(WriteIcon(L"listed.ico"), 2);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"0"}));
    Open(kNoIcons, 3);
    EXPECT_TRUE(Captions().empty());
    EXPECT_EQ(Form3->IconCount(), 0);
    EXPECT_EQ(Form3->OpenDialog1.filterIndex, 3);  // kept for the next showing
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(PickerTest, ClickingAnIconShowsItAndNothingWhenTheFileIsGone) {
    Start();
    Form1->Button5Click();
    Open(kComctl);
    ClickItem(2);
    EXPECT_FALSE(Form3->Image1().Picture().Empty());
    EXPECT_TRUE(Form3->Image1().Picture().Handle());

    // A file with no icons of its own, opened afterwards: the grid stays,
    // and a click extracts from the new file.
    const std::wstring text = folder_.File(L"notes.txt");
    test::WriteFileBytes(text, {'x'});
    Open(text);
    EXPECT_EQ(Captions().size(), 4u);
    ClickItem(1);
    EXPECT_TRUE(Form3->Image1().Picture().Empty());

    // The opened file deleted since: the click does nothing.
    Open(kComctl);
    ClickItem(0);
    const std::wstring gone = folder_.File(L"gone.dll");
    ::CopyFileW(kComctl.c_str(), gone.c_str(), FALSE);
    Open(gone);
    ClickItem(3);
    const HICON shown = Form3->Image1().Picture().Handle();
    ::DeleteFileW(gone.c_str());
    ClickItem(1);
    EXPECT_EQ(Form3->Image1().Picture().Handle(), shown);
}

TEST_F(PickerTest, IconFilesAreHandedStraightBack) {
    Start();
    for (const wchar_t* name : {L"a.ico", L"b.ICO", L"c.Ico"}) {
        SCOPED_TRACE(test::Utf8(name));
        const std::wstring path = WriteIcon(name);
        Form1->Button5Click();
        Open(path, 4);
        EXPECT_EQ(Form1->Text(TForm1::Edit3), path);
        EXPECT_TRUE(Form1->PreviewImage(TForm1::Preview::Icon).IsVisible());
        EXPECT_EQ(Form1->PreviewPanel(TForm1::Preview::Icon).Caption(), L"");
        EXPECT_FALSE(Form3->IsShown());
        EXPECT_TRUE(Form1->IsEnabled());
    }

    // Hot-icon mode with the hot-icon field disabled: nothing goes back,
    // but the picker still closes.
    const std::wstring hot = WriteIcon(L"hot.ico");
    Form1->Button6Click();
    Open(hot);
    EXPECT_EQ(Form1->Text(TForm1::Edit4), L"アイコンと同じ");
    EXPECT_FALSE(Form3->IsShown());
    EXPECT_TRUE(Form1->IsEnabled());

    ::SendMessageW(Form1->Control(TForm1::CheckBox1), BM_CLICK, 0, 0);
    Form1->Button6Click();
    Open(hot);
    EXPECT_EQ(Form1->Text(TForm1::Edit4), hot);
    EXPECT_TRUE(Form1->PreviewImage(TForm1::Preview::HotIcon).IsVisible());

    // A name ending in ".icon" is no icon file: its shell icon is shown.
    const std::wstring other = WriteIcon(L"x.icon");
    Form1->Button5Click();
    Open(other);
    EXPECT_TRUE(Form3->IsShown());
    EXPECT_FALSE(Form3->Image1().Picture().Empty());
    Form3->Button2Click();
}

// A 20 MiB icon file: a 16 x 16 image, 20 MiB of other bytes, and the 32 x 32
// image that is shown. Only that image is read and held.
TEST_F(PickerTest, LargeIconFileIsShownFromItsImage) {
    Start();
    const auto small = test::IconFileBytes(16, RGB(0, 0, 255));
    const auto shown = test::IconFileBytes(32, RGB(0, 160, 0));
    std::vector<unsigned char> file = {0, 0, 1, 0, 2, 0};
    const auto entry = [&](const std::vector<unsigned char>& single, std::uint32_t offset) {
        file.insert(file.end(), single.begin() + 6, single.begin() + 18);
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<unsigned char>(offset >> (8 * i)));
    };
    const std::uint32_t smallAt = 6 + 2 * 16;
    const std::uint32_t shownAt = 20u * 1024 * 1024;
    entry(small, smallAt);
    entry(shown, shownAt);
    file.insert(file.end(), small.begin() + 22, small.end());
    file.resize(shownAt, 0x5A);
    file.insert(file.end(), shown.begin() + 22, shown.end());
    const std::wstring large = folder_.File(L"large.ico");
    test::WriteFileBytes(large, file);

    Form1->Button5Click();
    Open(large);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Form1->Text(TForm1::Edit3), large);
    EXPECT_TRUE(Form1->PreviewImage(TForm1::Preview::Icon).IsVisible());
    const IconImage& picture = Form1->PreviewImage(TForm1::Preview::Icon).Picture();
    ASSERT_TRUE(picture.FileBytes());
    EXPECT_EQ(*picture.FileBytes(), shown);  // the shown image alone, as a file of its own
    ASSERT_TRUE(picture.Handle());

    // Damaged: the image runs past the end of the file.
    file.resize(file.size() - 1);
    test::WriteFileBytes(large, file);
    Form1->Button5Click();
    Open(large);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"アイコンイメージが不正です.");
    Form3->Button2Click();
}

TEST_F(PickerTest, BrokenIconFileLeavesThePickerOpenWithTheNewName) {
    Start();
    const std::wstring bad = folder_.File(L"bad.ico");
    test::WriteFileBytes(bad, {0, 0, 2, 0, 1, 0});
    Form1->Button5Click();
    Open(bad);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"アイコンイメージが不正です.");
    EXPECT_EQ(Form1->Text(TForm1::Edit3), bad);
    EXPECT_TRUE(Form3->IsShown());
    EXPECT_FALSE(Form1->IsEnabled());
    Form3->Button2Click();
}

TEST_F(PickerTest, SavingTheChosenIcon) {
    Start();
    Form1->Button5Click();
    // Nothing chosen: the picker stays.
    ::SendMessageW(Form3->Control(TForm3::Button3), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"アイコンが選択されていません");
    EXPECT_TRUE(Form3->IsShown());
    EXPECT_TRUE(shown_.empty());

    Open(kComctl);
    ClickItem(0);
    ::SendMessageW(Form3->Control(TForm3::RBtn16Color), BM_CLICK, 0, 0);
    const std::wstring saved = folder_.File(L"保存.ico");
    answers_.push_back({saved, 1});
    ::SendMessageW(Form3->Control(TForm3::Button3), BM_CLICK, 0, 0);
    test::Pump();
    EXPECT_EQ(Form3->SavingDepth(), 16);
    EXPECT_EQ(test::ReadFileBytes(saved).size(), 766u);
    EXPECT_EQ(Form1->Text(TForm1::Edit3), saved);
    EXPECT_TRUE(Form1->PreviewImage(TForm1::Preview::Icon).IsVisible());
    ASSERT_TRUE(Form1->PreviewImage(TForm1::Preview::Icon).Picture().FileBytes());
    EXPECT_EQ(*Form1->PreviewImage(TForm1::Preview::Icon).Picture().FileBytes(), test::ReadFileBytes(saved));
    EXPECT_FALSE(Form3->IsShown());
    EXPECT_TRUE(Form1->IsEnabled());
    // The first showing had the four-entry filter and no title of its own;
    // the next ones have the icon filter, the title and the extension.
    EXPECT_EQ(shown_.back().title, L"");
    EXPECT_EQ(Form3->SaveDialog1.title, L"アイコンの保存");
    EXPECT_EQ(Form3->SaveDialog1.filter, L"アイコン (*.ico)|*.ico");
    EXPECT_EQ(Form3->SaveDialog1.defaultExtension, L"ico");

    // Cancelling the dialog still closes the picker; nothing changes.
    Form1->Button5Click();
    Open(kComctl);
    ClickItem(1);
    answers_.push_back({L"", 1});
    ::SendMessageW(Form3->Control(TForm3::Button3), BM_CLICK, 0, 0);
    test::Pump();
    EXPECT_FALSE(Form3->IsShown());
    EXPECT_TRUE(Form1->IsEnabled());
    EXPECT_EQ(Form1->Text(TForm1::Edit3), saved);
}

TEST_F(PickerTest, SavingWhereNoFileCanBeMade) {
    Start();
    Form1->Button5Click();
    Open(kComctl);
    ClickItem(0);
    const std::wstring nowhere = folder_.File(L"no such folder\\x.ico");
    answers_.push_back({nowhere, 1});
    ::SendMessageW(Form3->Control(TForm3::Button3), BM_CLICK, 0, 0);
    test::Pump();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"ファイル " + nowhere + L" を作成できません.");
    EXPECT_EQ(Form1->Text(TForm1::Edit3), L"");  // a failed save leaves the field as it was
    EXPECT_TRUE(Form3->IsShown());
    EXPECT_FALSE(Form1->IsEnabled());
    Form3->Button2Click();
}

std::vector<std::wstring> FolderContents(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (data.cFileName[0] != L'.') names.emplace_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(PickerTest, FailedSaveOverAFileLeavesItAndTheMainWindowAsTheyWere) {
    Start();
    // An icon saved once: the field names it and the preview shows it. It
    // replaced what was there.
    const std::wstring saved = folder_.File(L"保存.ico");
    test::WriteFileBytes(saved, {'o', 'l', 'd'});
    Form1->Button5Click();
    Open(kComctl);
    ClickItem(0);
    answers_.push_back({saved, 1});
    ::SendMessageW(Form3->Control(TForm3::Button3), BM_CLICK, 0, 0);
    test::Pump();
    const auto before = test::ReadFileBytes(saved);
    ASSERT_EQ(before.size(), 4286u);
    ASSERT_EQ(Form1->Text(TForm1::Edit3), saved);
    ASSERT_TRUE(Form1->PreviewImage(TForm1::Preview::Icon).IsVisible());

    // An icon whose image is damaged: its directory is sound, its image not.
    const std::wstring damagedFile = folder_.File(L"damaged.ico");
    auto damaged = test::IconFileBytes(32, RGB(1, 2, 3));
    std::fill(damaged.begin() + 22, damaged.end(), std::uint8_t{0xEE});
    test::WriteFileBytes(damagedFile, damaged);

    const struct {
        const char* what;
        bool damagedIcon;
        bool targetHeld;
        std::wstring box;
        bool pickerShown;
    } cases[] = {
        {"damaged icon", true, false, L"ERROR - unable to retrive IconInfo", false},
        {"file held open", false, true, L"ファイル " + saved + L" を作成できません.", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.clear();
        Form1->Button5Click();
        Open(kComctl);
        ClickItem(1);
        if (c.damagedIcon) {
            IconImage icon;
            icon.LoadFromFile(damagedFile);
            Form3->Image1().SetPicture(icon);
        }
        UniqueFile held;
        if (c.targetHeld)
            held.Reset(::CreateFileW(saved.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        answers_.push_back({saved, 1});
        ::SendMessageW(Form3->Control(TForm3::Button3), BM_CLICK, 0, 0);
        test::Pump();
        held.Reset();
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, c.box);
        EXPECT_EQ(test::ReadFileBytes(saved), before);
        EXPECT_EQ(FolderContents(folder_.Path()), (std::vector<std::wstring>{L"damaged.ico", L"保存.ico"}));
        EXPECT_EQ(Form1->Text(TForm1::Edit3), saved);
        EXPECT_TRUE(Form1->PreviewImage(TForm1::Preview::Icon).IsVisible());
        EXPECT_EQ(*Form1->PreviewImage(TForm1::Preview::Icon).Picture().FileBytes(), before);
        EXPECT_EQ(Form3->IsShown(), c.pickerShown);
        if (Form3->IsShown()) Form3->Button2Click();
    }
}

// The save dialog as the user sees it, shown for real.
TEST_F(PickerTest, SaveDialogFirstWithItsOwnFiltersThenForIcons) {
    SetFileDialogAnswerer(nullptr);
    Start();
    struct Shown {
        std::wstring title;
        std::vector<std::wstring> filters;
    };
    const auto save = [&](const std::wstring& typed) {
        Shown shown;
        test::BoxDriver driver({[&](HWND dialog) {
                                    shown.title = test::WindowTextOf(dialog);
                                    HWND types = ::GetDlgItem(dialog, 0x470);  // the file-type box
                                    const auto count = ::SendMessageW(types, CB_GETCOUNT, 0, 0);
                                    for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
                                        wchar_t text[256] = {};
                                        ::SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                                        shown.filters.emplace_back(text);
                                    }
                                },
                                [&](HWND dialog) {
                                    HWND name = ::GetDlgItem(dialog, 0x47C);
                                    if (HWND edit = ::FindWindowExW(name, nullptr, L"Edit", nullptr)) name = edit;
                                    ::SetWindowTextW(name, typed.c_str());
                                    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                                }});
        Form1->Button5Click();
        Form3->Image1().SetPicture([] {
            IconImage icon;
            icon.SetHandle(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
            return icon;
        }());
        ::SendMessageW(Form3->Control(TForm3::Button3), BM_CLICK, 0, 0);
        test::Pump();
        return shown;
    };

    const Shown first = save(folder_.File(L"first"));
    EXPECT_NE(first.title, L"");
    EXPECT_NE(first.title, L"アイコンの保存");
    EXPECT_EQ(first.filters, (std::vector<std::wstring>{L"アイコンファイル（*.ico）", L"実行ファイル（*.exe）",
                                                        L"ダイナミックリンクライブラリ（*.dll）",
                                                        L"すべてのファイル（*.*）"}));
    EXPECT_EQ(Form1->Text(TForm1::Edit3), folder_.File(L"first"));  // no extension added

    const Shown later = save(folder_.File(L"later"));
    EXPECT_EQ(later.title, L"アイコンの保存");
    EXPECT_EQ(later.filters, (std::vector<std::wstring>{L"アイコン (*.ico)"}));
    EXPECT_EQ(Form1->Text(TForm1::Edit3), folder_.File(L"later.ico"));
    EXPECT_EQ(FolderContents(folder_.Path()), (std::vector<std::wstring>{L"first", L"later.ico"}));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(PickerTest, HotIconSaveWithTheFieldDisabledWritesOnlyTheFile) {
    Start();
    Form1->Button6Click();
    Open(kComctl);
    ClickItem(0);
    const std::wstring saved = folder_.File(L"hot.ico");
    answers_.push_back({saved, 1});
    ::SendMessageW(Form3->Control(TForm3::Button3), BM_CLICK, 0, 0);
    test::Pump();
    EXPECT_EQ(test::ReadFileBytes(saved).size(), 4286u);  // the icon's own 32 bits: no colour chosen yet
    EXPECT_EQ(Form1->Text(TForm1::Edit4), L"アイコンと同じ");
    EXPECT_FALSE(Form1->PreviewImage(TForm1::Preview::HotIcon).IsVisible());
    EXPECT_FALSE(Form3->IsShown());
}

}  // namespace
}  // namespace orbelune
