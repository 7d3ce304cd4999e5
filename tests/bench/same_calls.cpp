// The program's windows made with the same Win32 calls and nothing else: the
// hidden application window that owns the forms, the main window with its
// controls, fonts and tooltips, the link-target browser and the icon picker
// hidden with theirs (list view and image list included), the program's
// resources and manifest (common controls 6), and the two lists filled by the
// same plain pass as minimal_lists. The program's start-up against this one
// tells its own code's cost from what these windows cost the platform.
// Closing the main window ends it.
#include "catalogue_pass.h"

#include <windows.h>
#include <commctrl.h>

namespace {

constexpr COLORREF kBackground = RGB(191, 255, 113);

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && !::GetWindow(hwnd, GW_OWNER)) return 0;  // the application window
    if (message == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HFONT Font(const wchar_t* face, int height, bool bold = false) {
    LOGFONTW lf{};
    lf.lfHeight = -height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return ::CreateFontIndirectW(&lf);
}

void Register(const wchar_t* name, HBRUSH background, UINT style = 0) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    wc.hIcon = static_cast<HICON>(::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, LR_SHARED));
    ::RegisterClassExW(&wc);
}

struct Control {
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int x, y, width, height;
    int font;  // index into the window's fonts
};

constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;

HWND Add(HWND parent, const Control& c, HFONT const* fonts, int id) {
    HWND h = ::CreateWindowExW(c.exStyle, c.cls, c.text, WS_CHILD | c.style, c.x, c.y, c.width, c.height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[c.font]), FALSE);
    return h;
}

HWND TopLevel(const wchar_t* cls, const wchar_t* caption, DWORD style, DWORD exStyle, int x, int y, int width,
              int height, HWND owner) {
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return ::CreateWindowExW(exStyle, cls, caption, style, x, y, frame.right - frame.left, frame.bottom - frame.top,
                             owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

void AddTools(HWND form, HWND tooltip, HWND control, const wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    HBRUSH background = ::CreateSolidBrush(kBackground);
    Register(L"SameApplication", nullptr);
    Register(L"SameForm", background);
    Register(L"SamePanel", background, CS_HREDRAW | CS_VREDRAW);
    Register(L"SameImage", background);

    const int cx = ::GetSystemMetrics(SM_CXSCREEN) / 2, cy = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    HWND app = ::CreateWindowExW(0, L"SameApplication", L"Orbelune",
                                 WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, cx, cy, 0, 0,
                                 nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(app, SW_SHOWNOACTIVATE);

    // The main window.
    const HFONT main[] = {Font(L"ＭＳ Ｐゴシック", 12), Font(L"ＭＳ Ｐゴシック", 12, true)};
    HWND mainWindow = TopLevel(L"SameForm", L"Orbelune  Ver 1.0",
                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, CW_USEDEFAULT,
                          CW_USEDEFAULT, 571, 544, app);
    const Control mainWindowControls[] = {
        {L"BUTTON", L"作成", kTab | BS_PUSHBUTTON, 0, 40, 504, 97, 25, 0},
        {L"LISTBOX", L"", kTab | kList, WS_EX_CLIENTEDGE, 112, 40, 393, 313, 0},
        {L"BUTTON", L"編集", kTab | BS_PUSHBUTTON, 0, 184, 504, 97, 25, 0},
        {L"BUTTON", L"削除", kTab | BS_PUSHBUTTON, 0, 328, 504, 97, 25, 0},
        {L"EDIT", L"", kTab | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 112, 376, 393, 20, 0},
        {L"EDIT", L"", kTab | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 112, 400, 393, 20, 0},
        {L"EDIT", L"", kTab | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 112, 424, 393, 20, 0},
        {L"EDIT", L"アイコンと同じ", kTab | ES_AUTOHSCROLL | WS_DISABLED, WS_EX_CLIENTEDGE, 112, 448, 393, 20, 0},
        {L"BUTTON", L"参照", kTab | BS_PUSHBUTTON, 0, 512, 400, 41, 17, 0},
        {L"BUTTON", L"参照", kTab | BS_PUSHBUTTON, 0, 512, 424, 41, 17, 0},
        {L"BUTTON", L"参照", kTab | BS_PUSHBUTTON | WS_DISABLED, 0, 512, 448, 41, 17, 0},
        {L"BUTTON", L"終了", kTab | BS_PUSHBUTTON, 0, 504, 504, 49, 25, 0},
        {L"LISTBOX", L"", WS_TABSTOP | kList, WS_EX_CLIENTEDGE, 24, 8, 57, 73, 0},
        {L"SamePanel", L"アイコン", WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER, 0, 16, 136, 81, 81, 1},
        {L"SamePanel", L"ホットアイコン", WS_CLIPCHILDREN | WS_BORDER, 0, 16, 232, 81, 81, 1},
        {L"BUTTON", L"ホットアイコンを指定しない", kTab | BS_AUTOCHECKBOX, 0, 112, 472, 161, 17, 0},
        {L"STATIC", L"ボタン一覧", kLabel, 0, 112, 16, 59, 12, 1},
        {L"STATIC", L"名前　：", kLabel, 0, 62, 378, 42, 12, 1},
        {L"STATIC", L"リンク先　：", kLabel, 0, 43, 404, 61, 12, 1},
        {L"STATIC", L"アイコン　：", kLabel | SS_NOTIFY, 0, 43, 429, 61, 12, 1},
        {L"STATIC", L"ホットアイコン　：", kLabel | SS_NOTIFY, 0, 12, 452, 92, 12, 1},
    };
    HWND made[sizeof mainWindowControls / sizeof mainWindowControls[0]];
    int id = 101;
    for (std::size_t i = 0; i < sizeof mainWindowControls / sizeof mainWindowControls[0]; ++i)
        made[i] = Add(mainWindow, mainWindowControls[i], main, id++);
    for (int panel : {13, 14})
        ::CreateWindowExW(0, L"SameImage", L"", WS_CHILD, 20, 21, 36, 36, made[panel], nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(made[15], BM_SETCHECK, BST_CHECKED, 0);
    HWND tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mainWindow, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
    AddTools(mainWindow, tooltip, made[19], L"通常表示されるアイコン");
    AddTools(mainWindow, tooltip, made[20], L"カーソルを重ねたときのアイコン");
    ::SendMessageW(made[1], LB_SETITEMHEIGHT, 0, 12);
    ::SendMessageW(made[12], LB_SETITEMHEIGHT, 0, 12);
    bench::FillLists(made[1], made[12]);

    // The link-target browser, hidden.
    HWND linkBrowser = TopLevel(L"SameForm", L"リンク先参照", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME,
                          177, 161, 537, 382, app);
    const HFONT browser[] = {Font(L"ＭＳ Ｐゴシック", 12), Font(L"ＭＳ Ｐゴシック", 12, true)};
    const Control linkBrowserControls[] = {
        {L"LISTBOX", L"", kTab | kList | LBS_SORT, WS_EX_CLIENTEDGE, 16, 24, 241, 265, 0},
        {L"LISTBOX", L"", kTab | kList, WS_EX_CLIENTEDGE, 280, 24, 241, 265, 0},
        {L"BUTTON", L"OK", kTab | BS_PUSHBUTTON, 0, 288, 312, 89, 25, 0},
        {L"BUTTON", L"キャンセル", kTab | BS_PUSHBUTTON, 0, 416, 312, 89, 25, 0},
        {L"BUTTON", L"お気に入り", kTab | WS_GROUP | BS_AUTORADIOBUTTON, 0, 48, 317, 73, 17, 0},
        {L"BUTTON", L"手書き入力", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 136, 317, 81, 17, 0},
        {L"BUTTON", L"読み込み元", WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX | WS_GROUP, 0, 40, 298, 193, 41, 0},
        {L"SamePanel", L"", WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 360, 537, 22, 0},
        {L"STATIC", L"お気に入り", kLabel, 0, 104, 8, 60, 12, 1},
        {L"STATIC", L"手書き入力 プルダウン", kLabel, 0, 336, 8, 128, 12, 1},
    };
    id = 101;
    for (const Control& c : linkBrowserControls) Add(linkBrowser, c, browser, id++);

    // The icon picker, hidden.
    const HFONT picker[] = {Font(L"ＭＳ Ｐゴシック", 12), Font(L"ＭＳ ゴシック", 13), Font(L"MS Sans Serif", 11)};
    HIMAGELIST icons = ::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 16, 16);
    HWND iconPicker = TopLevel(L"SameForm", L"アイコン登録", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME,
                          319, 168, 249, 363, app);
    const Control iconPickerControls[] = {
        {WC_LISTVIEWW, L"", kTab | LVS_ICON | LVS_SHAREIMAGELISTS | LVS_SINGLESEL | LVS_AUTOARRANGE, WS_EX_CLIENTEDGE, 8,
         8, 233, 218, 2},
        {L"BUTTON", L"リストを開く", kTab | BS_PUSHBUTTON, 0, 7, 233, 74, 33, 0},
        {L"BUTTON", L"アイコン保存", kTab | BS_PUSHBUTTON, 0, 87, 233, 74, 33, 0},
        {L"SameImage", L"", WS_VISIBLE, 0, 34, 302, 36, 36, 0},
        {L"BUTTON", L"選択中", WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 15, 281, 73, 65, 0},
        {L"BUTTON", L"16色", kTab | WS_GROUP | BS_AUTORADIOBUTTON, 0, 139, 295, 81, 17, 1},
        {L"BUTTON", L"256色", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 139, 313, 81, 17, 1},
        {L"BUTTON", L"ハイカラー", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 139, 331, 89, 17, 1},
        {L"BUTTON", L"色数選択", WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX | WS_GROUP, 0, 123, 277, 113, 77, 0},
        {L"BUTTON", L"戻る", kTab | WS_GROUP | BS_PUSHBUTTON, 0, 168, 232, 73, 33, 0},
    };
    id = 101;
    HWND view = nullptr;
    for (const Control& c : iconPickerControls) {
        HWND h = Add(iconPicker, c, picker, id++);
        if (!view) view = h;
    }
    ListView_SetImageList(view, icons, LVSIL_NORMAL);

    ::ShowWindow(mainWindow, showCommand);
    ::SetForegroundWindow(mainWindow);
    ::SetActiveWindow(mainWindow);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(mainWindow, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::DestroyWindow(iconPicker);
    ::DestroyWindow(linkBrowser);
    ::DestroyWindow(mainWindow);
    ::DestroyWindow(app);
    ::ImageList_Destroy(icons);
    return 0;
}
