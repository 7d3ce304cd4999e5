// Renders each window and each message box of Orbelune to a BMP file
// under Xvfb, in a scratch registry with a few sample buttons.
// Usage: screenshots.exe OUTPUT-FOLDER [NAME-SUFFIX]
// (the suffix tells pictures at another display scaling apart).
#include "app/application.h"
#include "app/file_dialog.h"
#include "app/message_box.h"
#include "support/gui.h"
#include "support/scratch_registry.h"
#include "ui/iconpicker/icon_picker.h"
#include "ui/linkbrowser/link_browser.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace orbelune;

namespace {

std::wstring outputFolder;
std::wstring nameSuffix;

void Pump(int milliseconds) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    while (static_cast<int>(end - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ProcessMessage(msg);
        ::Sleep(10);
    }
}

// Copies the window's screen area into a 24-bit BMP file.
void Capture(HWND hwnd, const std::wstring& name) {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    // Wine hands what was painted to the X server while the thread takes
    // messages, not while it sleeps.
    Pump(300);
    RECT r;
    ::GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * h), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    HANDLE out = ::CreateFileW((outputFolder + L"\\" + name + nameSuffix + L".bmp").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(out, &fh, sizeof fh, &written, nullptr);
    ::WriteFile(out, &bi.bmiHeader, sizeof bi.bmiHeader, &written, nullptr);
    ::WriteFile(out, bits, static_cast<DWORD>(stride * h), &written, nullptr);
    ::CloseHandle(out);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    std::printf("captured %ls%ls (%d x %d)\n", name.c_str(), nameSuffix.c_str(), w, h);
}

// Captures the next modal box, then closes it.
std::wstring pendingName;
void CALLBACK CaptureBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = ::GetForegroundWindow();
    if (!box) box = ::GetActiveWindow();
    wchar_t cls[32] = {};
    ::GetClassNameW(box, cls, 32);
    if (std::wstring(cls) != L"#32770") return;  // not open yet
    ::KillTimer(nullptr, id);
    Capture(box, pendingName);
    ::PostMessageW(box, WM_CLOSE, 0, 0);
}

void CaptureNextBox(const std::wstring& name) {
    pendingName = name;
    ::SetTimer(nullptr, 0, 400, CaptureBox);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    outputFolder = argv[1];
    if (argc > 2) nameSuffix = argv[2];
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    test::ScratchRegistry scratch;
    const std::wstring catalogue = L"\\Software\\Tollivern";
    test::SetString(HKEY_CURRENT_USER, catalogue, L"AppPath", L"C:\\Program Files\\Orbelune\\");
    test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonDat", L"3");
    test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum0", L"メモ帳");
    test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum1", L"電卓");
    test::SetString(HKEY_CURRENT_USER, catalogue, L"ButtonNum3", L"ソフトウェア表示");
    test::TempFolder folder;
    const std::wstring icon = folder.File(L"memo.ico");
    test::WriteFileBytes(icon, test::IconFileBytes(32, RGB(40, 90, 200)));
    const std::wstring extension =
        L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\{00000000-0000-0000-0000-000000000000}";
    test::SetString(HKEY_CURRENT_USER, extension, L"ButtonText", L"メモ帳");
    test::SetString(HKEY_CURRENT_USER, extension, L"Exec", L"C:\\Windows\\notepad.exe");
    test::SetString(HKEY_CURRENT_USER, extension, L"Icon", icon);
    test::SetString(HKEY_CURRENT_USER, extension, L"HotIcon", icon);

    for (const wchar_t* name : {L"ニュース.url", L"天気予報.url", L"Search.url"})
        test::WriteFileBytes(folder.File(name), {'[', 'I', ']'});
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    L"Favorites", folder.Path());
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Microsoft\\Internet Explorer\\TypedURLs", L"url0",
                    L"http://www.example.jp/");
    test::SetString(HKEY_CURRENT_USER, L"\\Software\\Microsoft\\Internet Explorer\\TypedURLs", L"url1",
                    L"http://intranet/");

    InitializeApplication();
    CreateWindowSet();
    ShowMainWindow(SW_SHOWNORMAL);
    Pump(500);
    Capture(TheMainWindow()->Handle(), L"main-window");
    ::SendMessageW(TheMainWindow()->Control(MainWindow::kSameAsIconCheck), BM_CLICK, 0, 0);
    ::SendMessageW(TheMainWindow()->Control(MainWindow::kButtonNameList), LB_SETCURSEL, 0, 0);
    test::SendNotification(TheMainWindow()->Control(MainWindow::kButtonNameList), LBN_SELCHANGE);
    Pump(300);
    Capture(TheMainWindow()->Handle(), L"main-window-selected");

    test::PressButton(TheMainWindow()->Control(MainWindow::kHotIconBrowseButton));
    SetFileDialogAnswerer([](bool, FileDialogState& state) {
        state.fileName = L"C:\\windows\\regedit.exe";
        return true;
    });
    test::PressButton(TheIconPicker()->Control(IconPicker::kOpenButton));
    SetFileDialogAnswerer(nullptr);
    // Clicked as with the mouse: the grid has the focus and shows the icon chosen.
    HWND view = TheIconPicker()->Control(IconPicker::kIconGrid);
    ::SetFocus(view);
    test::ClickIconGridItem(1);
    Pump(500);
    Capture(TheIconPicker()->Handle(), L"icon-picker");
    test::PressButton(TheIconPicker()->Control(IconPicker::kBackButton));

    test::PressButton(TheMainWindow()->Control(MainWindow::kLinkBrowseButton));
    ::SendMessageW(TheLinkBrowser()->Control(LinkBrowser::kFavoritesList), LB_SETCURSEL, 1, 0);
    test::SendNotification(TheLinkBrowser()->Control(LinkBrowser::kFavoritesList), LBN_SELCHANGE);
    Pump(500);
    Capture(TheLinkBrowser()->Handle(), L"link-browser");
    test::PressButton(TheLinkBrowser()->Control(LinkBrowser::kCancelButton));
    Pump(200);

    CaptureNextBox(L"box-information");
    ShowInformation(L"空白の項目があります");
    CaptureNextBox(L"box-confirmation");
    ShowConfirmation(L"アイコンに存在しないファイルが選択されています。そのまま続けますか？");
    CaptureNextBox(L"box-error");
    ShowError(L"編集ファイルが選択されていません");
    CaptureNextBox(L"box-failure");
    ShowFailure(L"'ButtonDat' は整数ではありません");

    DestroyWindowSet();
    return 0;
}
