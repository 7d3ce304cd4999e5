#include "app/file_dialog.h"

#include "app/application.h"
#include "support/box_driver.h"
#include "support/gui.h"

namespace orbelune {
namespace {

using test::BoxDriver;

// The file name field of the common dialog: an edit inside the name combo
// box, or the edit itself.
HWND FileNameField(HWND dialog) {
    if (HWND combo = ::GetDlgItem(dialog, 0x47C)) {
        if (HWND edit = ::FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
        return combo;
    }
    return ::GetDlgItem(dialog, 0x480);
}

TEST(FileDialog, RealSaveDialogTakesTheTypedNameWithTheDefaultExtension) {
    SetFileDialogAnswerer(nullptr);
    InitializeApplication();
    test::TempFolder folder;
    FileDialogState state;
    state.initialFolder = folder.Path();
    state.filter = L"アイコン (*.ico)|*.ico";
    state.title = L"アイコンの保存";
    state.defaultExtension = L"ico";
    std::wstring title;
    BoxDriver driver({[&](HWND dialog) { title = test::WindowTextOf(dialog); },
                      [](HWND dialog) {
                          ::SetWindowTextW(FileNameField(dialog), L"保存先");
                          ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      }});
    ASSERT_TRUE(ShowSaveDialog(nullptr, state));
    EXPECT_EQ(title, L"アイコンの保存");
    EXPECT_EQ(state.fileName, folder.File(L"保存先.ico"));
    EXPECT_EQ(state.filterIndex, 1);
}

TEST(FileDialog, CancelledOpenDialogChangesNothing) {
    SetFileDialogAnswerer(nullptr);
    InitializeApplication();
    FileDialogState state;
    state.filter = L"a|*.ico|b|*.exe";
    state.filterIndex = 2;
    state.fileName = L"C:\\kept.exe";
    BoxDriver driver({[](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }});
    EXPECT_FALSE(ShowOpenDialog(nullptr, state));
    EXPECT_EQ(state.fileName, L"C:\\kept.exe");
    EXPECT_EQ(state.filterIndex, 2);
}

}  // namespace
}  // namespace orbelune
