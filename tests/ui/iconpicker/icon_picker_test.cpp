#include "ui/iconpicker/icon_picker.h"

#include "app/application.h"
#include "support/box_driver.h"
#include "support/gui.h"
#include "ui/linkbrowser/link_browser.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

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
        FormRect rect;
    } windows[] = {
        {TheLinkBrowser(), L"リンク先参照", LinkBrowser::kFormRect},
        {TheIconPicker(), L"アイコン登録", IconPicker::kFormRect},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(test::Utf8(w.caption));
        HWND h = w.form->Handle();
        EXPECT_FALSE(w.form->IsShown());
        EXPECT_EQ(w.form->Caption(), w.caption);
        RECT frame, client;
        ::GetWindowRect(h, &frame);
        ::GetClientRect(h, &client);
        EXPECT_EQ(frame.left, w.rect.x);
        EXPECT_EQ(frame.top, w.rect.y);
        EXPECT_EQ(client.right, w.rect.clientWidth);
        EXPECT_EQ(client.bottom, w.rect.clientHeight);
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
        const wchar_t* text;
    } table[] = {
        {IconPicker::kIconGrid, L""},
        {IconPicker::kOpenButton, L"リストを開く"},
        {IconPicker::kSaveButton, L"アイコン保存"},
        {IconPicker::kBackButton, L"戻る"},
        {IconPicker::kChosenIconGroup, L"選択中"},
        {IconPicker::kDepthGroup, L"色数選択"},
    };
    for (const auto& c : table)
        test::ExpectAtLayoutRow(TheIconPicker()->Control(c.id), IconPicker::kControls, c.id, c.text);

    // "256色" is shown selected while the depth is still the icon's own.
    EXPECT_EQ(::SendMessageW(TheIconPicker()->Control(IconPicker::kColor256Radio), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(TheIconPicker()->ChosenDepth(), IconDepth::Own);
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kColor256Radio), BM_CLICK, 0, 0);
    EXPECT_EQ(TheIconPicker()->ChosenDepth(), IconDepth::Own);  // already selected: nothing runs
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kColor16Radio), BM_CLICK, 0, 0);
    EXPECT_EQ(TheIconPicker()->ChosenDepth(), IconDepth::Colors16);
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kHighColorRadio), BM_CLICK, 0, 0);
    EXPECT_EQ(TheIconPicker()->ChosenDepth(), IconDepth::High);
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kColor256Radio), BM_CLICK, 0, 0);
    EXPECT_EQ(TheIconPicker()->ChosenDepth(), IconDepth::Colors256);

    // The choice survives leaving and reopening the picker.
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
    test::PressButton(TheMainWindow()->Control(MainWindow::kHotIconBrowseButton));
    EXPECT_EQ(TheIconPicker()->ChosenDepth(), IconDepth::Colors256);
    EXPECT_EQ(::SendMessageW(TheIconPicker()->Control(IconPicker::kColor256Radio), BM_GETCHECK, 0, 0), BST_CHECKED);
    test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
    EXPECT_TRUE(TheMainWindow()->IsEnabled());
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
        ::SendMessageW(TheIconPicker()->Control(IconPicker::kOpenButton), BM_CLICK, 0, 0);
        test::Pump();
    }
    std::vector<std::wstring> Captions() {
        std::vector<std::wstring> captions;
        HWND view = TheIconPicker()->Control(IconPicker::kIconGrid);
        for (int i = 0; i < ListView_GetItemCount(view); ++i) {
            wchar_t text[16] = {};
            ListView_GetItemText(view, i, 0, text, 16);
            captions.emplace_back(text);
        }
        return captions;
    }
    int Selected() { return ListView_GetNextItem(TheIconPicker()->Control(IconPicker::kIconGrid), -1, LVNI_SELECTED); }
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
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(kComctl);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"0", L"1", L"2", L"3"}));
    EXPECT_EQ(TheIconPicker()->IconCount(), 4);
    // What another program reads: a caption cut to its buffer (flags 0: the
    // item, its text, the buffer's length), never past it; the icon found
    // by its caption from the start on, past the last only when told to wrap.
    HWND view = TheIconPicker()->Control(IconPicker::kIconGrid);
    const struct { int start; UINT flags; const wchar_t* text; int found; } asks[] = {
        {3, 0, L"", 1}, {3, 0, L"3", 2}, {3, LVFI_STRING, L"2", -1}, {3, LVFI_STRING | LVFI_WRAP, L"2", 2},
        {1, LVFI_PARTIAL, L"3", 3}, {0, LVFI_STRING, L"", -1}, {3, LVFI_PARAM, L"3", -1}};
    for (const auto& ask : asks) {
        wchar_t text[4] = {L'#', L'#', L'#', L'#'};
        const LVFINDINFOW find{ask.flags, ask.text, 0, {}, 0};
        if (!ask.flags) ListView_GetItemText(view, ask.start, 0, text, ask.found);
        EXPECT_TRUE(ask.flags ? ListView_FindItem(view, ask.start, &find) == ask.found
                              : text == std::wstring(ask.text) && text[ask.found] == L'#')
            << ask.start << " " << test::Utf8(ask.text);
    }
    Open(folder_.File(L"gone.dll"), 3);  // gone since it was chosen: the grid stays
    EXPECT_EQ(Captions().size(), 4u);
    EXPECT_EQ(Selected(), -1);
    EXPECT_TRUE(TheIconPicker()->IsShown());  // listing leaves the picker open
    EXPECT_EQ(shown_.at(0).initialFolder, TheMainWindow()->IconFolder());
    EXPECT_EQ(shown_.at(0).filterIndex, 1);

    // With the executable or library filter any file is listed.
    Open(WriteIcon(L"listed.ico"), 2);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"0"}));
    Open(kNoIcons, 3);
    EXPECT_TRUE(Captions().empty());
    EXPECT_EQ(TheIconPicker()->IconCount(), 0);
    EXPECT_EQ(TheIconPicker()->openDialog.filterIndex, 3);  // kept for the next showing
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(PickerTest, ClickingAnIconShowsItAndNothingWhenTheFileIsGone) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(kComctl);
    test::ClickIconGridItem(2);
    EXPECT_FALSE(TheIconPicker()->ChosenIconImage().Picture().Empty());
    const HICON clicked = TheIconPicker()->ChosenIconImage().Picture().Handle();
    ::SetFocus(TheIconPicker()->Control(IconPicker::kIconGrid));
    test::PressKey(TheIconPicker()->Control(IconPicker::kIconGrid), VK_END);  // chosen as by a click
    EXPECT_EQ(Selected(), 3);
    EXPECT_NE(TheIconPicker()->ChosenIconImage().Picture().Handle(), clicked);

    // A file with no icons of its own, opened afterwards: the grid stays,
    // and a click extracts from the new file.
    const std::wstring text = folder_.File(L"notes.txt");
    test::WriteFileBytes(text, {'x'});
    Open(text);
    EXPECT_EQ(Captions().size(), 4u);
    test::ClickIconGridItem(1);
    EXPECT_TRUE(TheIconPicker()->ChosenIconImage().Picture().Empty());

    // The opened file deleted since: the click does nothing.
    Open(kComctl);
    test::ClickIconGridItem(0);
    const std::wstring gone = folder_.File(L"gone.dll");
    ::CopyFileW(kComctl.c_str(), gone.c_str(), FALSE);
    Open(gone);
    test::ClickIconGridItem(3);
    const HICON shown = TheIconPicker()->ChosenIconImage().Picture().Handle();
    ::DeleteFileW(gone.c_str());
    test::ClickIconGridItem(1);
    EXPECT_EQ(TheIconPicker()->ChosenIconImage().Picture().Handle(), shown);
}

TEST_F(PickerTest, IconFilesAreHandedStraightBack) {
    Start();
    for (const wchar_t* name : {L"a.ico", L"b.ICO", L"c.Ico"}) {
        SCOPED_TRACE(test::Utf8(name));
        const std::wstring path = WriteIcon(name);
        test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
        Open(path, 4);
        EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), path);
        EXPECT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible());
        EXPECT_EQ(TheMainWindow()->PreviewPanel(MainWindow::Preview::Icon).Caption(), L"");
        EXPECT_FALSE(TheIconPicker()->IsShown());
        EXPECT_TRUE(TheMainWindow()->IsEnabled());
    }

    // Hot-icon mode with the hot-icon field disabled: nothing goes back,
    // but the picker still closes.
    const std::wstring hot = WriteIcon(L"hot.ico");
    test::PressButton(TheMainWindow()->Control(MainWindow::kHotIconBrowseButton));
    Open(hot);
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kHotIconPathField), L"アイコンと同じ");
    EXPECT_FALSE(TheIconPicker()->IsShown());
    EXPECT_TRUE(TheMainWindow()->IsEnabled());

    ::SendMessageW(TheMainWindow()->Control(MainWindow::kSameAsIconCheck), BM_CLICK, 0, 0);
    test::PressButton(TheMainWindow()->Control(MainWindow::kHotIconBrowseButton));
    Open(hot);
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kHotIconPathField), hot);
    EXPECT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::HotIcon).IsVisible());

    // A name ending in ".icon" is no icon file: its shell icon is shown.
    const std::wstring other = WriteIcon(L"x.icon");
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(other);
    EXPECT_TRUE(TheIconPicker()->IsShown());
    EXPECT_FALSE(TheIconPicker()->ChosenIconImage().Picture().Empty());
    test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
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

    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(large);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), large);
    EXPECT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible());
    const IconImage& picture = TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Picture();
    ASSERT_TRUE(picture.FileBytes());
    EXPECT_EQ(*picture.FileBytes(), shown);  // the shown image alone, as a file of its own
    ASSERT_TRUE(picture.Handle());

    // Its last byte cut off: read as the platform reads it, a zero past the
    // end inside the file's last page.
    file.resize(file.size() - 1);
    test::WriteFileBytes(large, file);
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(large);
    EXPECT_TRUE(boxes_.empty());
    ASSERT_TRUE(picture.FileBytes());
    EXPECT_EQ(picture.FileBytes()->size(), shown.size());

    // Damaged: the image starts past the end of the file.
    for (int i = 0; i < 4; ++i) file[6 + 16 + 12 + i] = static_cast<unsigned char>(file.size() >> (8 * i));
    test::WriteFileBytes(large, file);
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(large);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"アイコンイメージが不正です.");
    test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
}

TEST_F(PickerTest, BrokenIconFileLeavesThePickerOpenWithTheNewName) {
    Start();
    const std::wstring bad = folder_.File(L"bad.ico");
    test::WriteFileBytes(bad, {0, 0, 2, 0, 1, 0});
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(bad);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"アイコンイメージが不正です.");
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), bad);
    EXPECT_TRUE(TheIconPicker()->IsShown());
    EXPECT_FALSE(TheMainWindow()->IsEnabled());
    test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
}

TEST_F(PickerTest, SavingTheChosenIcon) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    // Nothing chosen: the picker stays.
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"アイコンが選択されていません");
    EXPECT_TRUE(TheIconPicker()->IsShown());
    EXPECT_TRUE(shown_.empty());

    Open(kComctl);
    test::ClickIconGridItem(0);
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kColor16Radio), BM_CLICK, 0, 0);
    const std::wstring saved = folder_.File(L"保存.ico");
    answers_.push_back({saved, 1});
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
    test::Pump();
    EXPECT_EQ(TheIconPicker()->SavingDepth(), IconDepth::Colors16);
    EXPECT_EQ(test::ReadFileBytes(saved).size(), 766u);
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), saved);
    EXPECT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible());
    ASSERT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Picture().FileBytes());
    EXPECT_EQ(*TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Picture().FileBytes(), test::ReadFileBytes(saved));
    EXPECT_FALSE(TheIconPicker()->IsShown());
    EXPECT_TRUE(TheMainWindow()->IsEnabled());
    // The first showing had the four-entry filter and no title of its own;
    // the next ones have the icon filter, the title and the extension.
    EXPECT_EQ(shown_.back().title, L"");
    EXPECT_EQ(TheIconPicker()->saveDialog.title, L"アイコンの保存");
    EXPECT_EQ(TheIconPicker()->saveDialog.filter, L"アイコン (*.ico)|*.ico");
    EXPECT_EQ(TheIconPicker()->saveDialog.defaultExtension, L"ico");

    // Cancelling the dialog still closes the picker; nothing changes.
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(kComctl);
    test::ClickIconGridItem(1);
    answers_.push_back({L"", 1});
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
    test::Pump();
    EXPECT_FALSE(TheIconPicker()->IsShown());
    EXPECT_TRUE(TheMainWindow()->IsEnabled());
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), saved);
}

TEST_F(PickerTest, SavingWhereNoFileCanBeMade) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(kComctl);
    test::ClickIconGridItem(0);
    const std::wstring nowhere = folder_.File(L"no such folder\\x.ico");
    answers_.push_back({nowhere, 1});
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
    test::Pump();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"ファイル " + nowhere + L" を作成できません.");
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), L"");  // a failed save leaves the field as it was
    EXPECT_TRUE(TheIconPicker()->IsShown());
    EXPECT_FALSE(TheMainWindow()->IsEnabled());
    test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
}

TEST_F(PickerTest, FailedSaveOverAFileLeavesItAndTheMainWindowAsTheyWere) {
    Start();
    // An icon saved once: the field names it and the preview shows it. It
    // replaced what was there.
    const std::wstring saved = folder_.File(L"保存.ico");
    test::WriteFileBytes(saved, {'o', 'l', 'd'});
    test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
    Open(kComctl);
    test::ClickIconGridItem(0);
    answers_.push_back({saved, 1});
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
    test::Pump();
    const auto before = test::ReadFileBytes(saved);
    ASSERT_EQ(before.size(), 4286u);
    ASSERT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), saved);
    ASSERT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible());

    // An icon whose image is damaged: its directory is sound, its image not.
    const std::wstring damagedFile = folder_.File(L"damaged.ico");
    auto damaged = test::IconFileBytes(32, RGB(1, 2, 3));
    std::fill(damaged.begin() + 22, damaged.end(), std::uint8_t{0xEE});
    test::WriteFileBytes(damagedFile, damaged);

    // A folder where the icon would go.
    const std::wstring folder = folder_.File(L"folder.ico");
    ::CreateDirectoryW(folder.c_str(), nullptr);

    // The save never replaces a read-only, hidden or system file, nor a
    // folder, also where the platform would (Wine running as root).
    const struct {
        const char* what;
        bool damagedIcon;
        bool targetHeld;
        DWORD attributes;
        std::wstring target;
        std::wstring box;
        bool pickerShown;
    } cases[] = {
        {"damaged icon", true, false, 0, saved, L"ERROR - unable to retrive IconInfo", false},
        {"file held open", false, true, 0, saved, L"ファイル " + saved + L" を作成できません.", true},
        {"read-only file", false, false, FILE_ATTRIBUTE_READONLY, saved, L"ファイル " + saved + L" を作成できません.", true},
        {"hidden file", false, false, FILE_ATTRIBUTE_HIDDEN, saved, L"ファイル " + saved + L" を作成できません.", true},
        {"system file", false, false, FILE_ATTRIBUTE_SYSTEM, saved, L"ファイル " + saved + L" を作成できません.", true},
        {"folder", false, false, 0, folder, L"ファイル " + folder + L" を作成できません.", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.clear();
        test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
        Open(kComctl);
        test::ClickIconGridItem(1);
        if (c.damagedIcon) {
            IconImage icon;
            icon.LoadFromFile(damagedFile);
            TheIconPicker()->ChosenIconImage().SetPicture(icon);
        }
        UniqueFile held;
        if (c.targetHeld)
            held.Reset(::CreateFileW(saved.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (c.attributes) ::SetFileAttributesW(saved.c_str(), c.attributes);
        const DWORD attributes = ::GetFileAttributesW(c.target.c_str());
        answers_.push_back({c.target, 1});
        ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
        test::Pump();
        held.Reset();
        EXPECT_EQ(::GetFileAttributesW(c.target.c_str()), attributes);
        ::SetFileAttributesW(saved.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, c.box);
        EXPECT_EQ(test::ReadFileBytes(saved), before);
        EXPECT_EQ(test::FolderContents(folder_.Path()),
                  (std::vector<std::wstring>{L"damaged.ico", L"folder.ico", L"保存.ico"}));
        EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), saved);
        EXPECT_TRUE(TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).IsVisible());
        EXPECT_EQ(*TheMainWindow()->PreviewImage(MainWindow::Preview::Icon).Picture().FileBytes(), before);
        EXPECT_EQ(TheIconPicker()->IsShown(), c.pickerShown);
        if (TheIconPicker()->IsShown()) test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));
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
        test::PressButton(TheMainWindow()->Control(MainWindow::kIconBrowseButton));
        TheIconPicker()->ChosenIconImage().SetPicture([] {
            IconImage icon;
            icon.SetHandle(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
            return icon;
        }());
        ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
        test::Pump();
        return shown;
    };

    const Shown first = save(folder_.File(L"first"));
    EXPECT_NE(first.title, L"");
    EXPECT_NE(first.title, L"アイコンの保存");
    EXPECT_EQ(first.filters, (std::vector<std::wstring>{L"アイコンファイル（*.ico）", L"実行ファイル（*.exe）",
                                                        L"ダイナミックリンクライブラリ（*.dll）",
                                                        L"すべてのファイル（*.*）"}));
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), folder_.File(L"first"));  // no extension added

    const Shown later = save(folder_.File(L"later"));
    EXPECT_EQ(later.title, L"アイコンの保存");
    EXPECT_EQ(later.filters, (std::vector<std::wstring>{L"アイコン (*.ico)"}));
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kIconPathField), folder_.File(L"later.ico"));
    EXPECT_EQ(test::FolderContents(folder_.Path()), (std::vector<std::wstring>{L"first", L"later.ico"}));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(PickerTest, HotIconSaveWithTheFieldDisabledWritesOnlyTheFile) {
    Start();
    test::PressButton(TheMainWindow()->Control(MainWindow::kHotIconBrowseButton));
    Open(kComctl);
    test::ClickIconGridItem(0);
    const std::wstring saved = folder_.File(L"hot.ico");
    answers_.push_back({saved, 1});
    ::SendMessageW(TheIconPicker()->Control(IconPicker::kSaveButton), BM_CLICK, 0, 0);
    test::Pump();
    EXPECT_EQ(test::ReadFileBytes(saved).size(), 4286u);  // the icon's own 32 bits: no colour chosen yet
    EXPECT_EQ(TheMainWindow()->Text(MainWindow::kHotIconPathField), L"アイコンと同じ");
    EXPECT_FALSE(TheMainWindow()->PreviewImage(MainWindow::Preview::HotIcon).IsVisible());
    EXPECT_FALSE(TheIconPicker()->IsShown());
}

}  // namespace
}  // namespace orbelune
