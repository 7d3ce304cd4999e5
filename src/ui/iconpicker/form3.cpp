#include "ui/iconpicker/form3.h"

#include "app/subwindow.h"

#include <commctrl.h>

namespace orbelune {

namespace {

constexpr COLORREF kBackground = RGB(191, 255, 113);
constexpr wchar_t kDialogFilter[] =
    L"アイコンファイル（*.ico）|*.ico|実行ファイル（*.exe）|*.exe|ダイナミックリンクライブラリ（*.dll）|*.dll|"
    L"すべてのファイル（*.*）|*.*";

}  // namespace

TForm3::TForm3() : Form(kBackground) {
    font_ = MakeFont(L"ＭＳ Ｐゴシック", 12);
    radioFont_ = MakeFont(L"ＭＳ ゴシック", 13);
    defaultFont_ = MakeFont(L"MS Sans Serif", 11);
    iconList_.Reset(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 16, 16));
    for (FileDialogState* dialog : {&OpenDialog1, &SaveDialog1}) dialog->filter = kDialogFilter;
    OpenDialog1.initialFolder = L"\\icon";
    CreateForm(L"TForm3", L"アイコン登録", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, 319, 168,
               249, 363);
    CreateControls();
}

TForm3::~TForm3() { Destroy(); }

void TForm3::CreateControls() {
    HFONT f = font_.Get();
    const DWORD tab = WS_VISIBLE | WS_TABSTOP;

    HWND view = AddControl({WC_LISTVIEWW, L"", tab | LVS_ICON | LVS_SHAREIMAGELISTS | LVS_SINGLESEL | LVS_AUTOARRANGE,
                            WS_EX_CLIENTEDGE, 8, 8, 233, 218, IconView, defaultFont_.Get()});
    ListView_SetImageList(view, iconList_.Get(), LVSIL_NORMAL);
    AddControl({L"BUTTON", L"リストを開く", tab | BS_PUSHBUTTON, 0, 7, 233, 74, 33, Button1, f});
    AddControl({L"BUTTON", L"アイコン保存", tab | BS_PUSHBUTTON, 0, 87, 233, 74, 33, Button3, f});
    // Each group box after what it holds: the controls above it in the
    // window order are not painted over. The tab order stays the same.
    image1_ = std::make_unique<ImageBox>(Handle(), Image1Id, 15 + 19, 281 + 21, 36, 36, kBackground);
    AddGroupBox(L"選択中", 0, 15, 281, 73, 65, GroupBox1, f);
    HFONT r = radioFont_.Get();
    AddControl({L"BUTTON", L"16色", tab | WS_GROUP | BS_AUTORADIOBUTTON, 0, 123 + 16, 277 + 18, 81, 17, RBtn16Color, r});
    HWND radio256 =
        AddControl({L"BUTTON", L"256色", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 123 + 16, 277 + 36, 81, 17, RBtn256Color, r});
    AddControl({L"BUTTON", L"ハイカラー", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 123 + 16, 277 + 54, 89, 17, RBtnHiColor, r});
    AddGroupBox(L"色数選択", WS_GROUP, 123, 277, 113, 77, GBoxIcon, f);
    AddControl({L"BUTTON", L"戻る", tab | WS_GROUP | BS_PUSHBUTTON, 0, 168, 232, 73, 33, Button2, f});
    for (int radio : {RBtn16Color, RBtn256Color, RBtnHiColor}) FitText(Control(radio), false);
    ::SendMessageW(radio256, BM_SETCHECK, BST_CHECKED, 0);  // shown selected while the depth is still 0
    SetFirstFocus(view);
}

void TForm3::ClearIconView() { ListView_DeleteAllItems(Control(IconView)); }

int TForm3::IconViewCount() const { return ListView_GetItemCount(Control(IconView)); }

void TForm3::Button2Click() { LeaveSubWindow(*this); }

void TForm3::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return;
    switch (id) {
    case Button2:
        Button2Click();
        break;
    case RBtn16Color:
    case RBtn256Color:
    case RBtnHiColor:
        // Only a button that becomes selected runs its handler.
        if (id == selectedRadio_) break;
        selectedRadio_ = id;
        if (id == RBtn16Color) RBtn16ColorClick();
        else if (id == RBtn256Color) RBtn256ColorClick();
        else RBtnHiColorClick();
        break;
    default:
        break;
    }
}

}  // namespace orbelune
