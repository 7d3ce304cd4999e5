#include "ui/main/form1.h"

#include "app/application.h"
#include "app/subwindow.h"
#include "platform/files.h"
#include "store/button_entry.h"
#include "store/button_operations.h"
#include "ui/iconpicker/form3.h"
#include "ui/linkbrowser/form2.h"
#include "ui/linkbrowser/internet_shortcut.h"

#include <shellapi.h>

namespace orbelune {

namespace {

constexpr COLORREF kBackground = RGB(191, 255, 113);
constexpr wchar_t kCaption[] = L"Orbelune  Ver 1.0";
constexpr wchar_t kIconPanelCaption[] = L"アイコン";
constexpr wchar_t kHotIconPanelCaption[] = L"ホットアイコン";
constexpr int kClientWidth = 571;
constexpr int kClientHeight = 544;

}  // namespace

TForm1::TForm1() : Form(kBackground) {
    CreateForm(L"TForm1", kCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0,
               CW_USEDEFAULT, CW_USEDEFAULT, kClientWidth, kClientHeight);
}

TForm1::~TForm1() {
    Destroy();
}

LRESULT TForm1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        CreateControls();
        // The creation handler: a failure is shown now and start-up goes on
        // with what was loaded.
        RunHandler([&] { FormCreate(); });
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
        MinimizeApplication();
        return 0;
    }
    if (message == WM_DROPFILES) {
        FormDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return Form::OnMessage(message, wParam, lParam);
}

void TForm1::CreateControls() {
    HFONT f = AddFont(L"ＭＳ Ｐゴシック", 12);
    HFONT b = AddFont(L"ＭＳ Ｐゴシック", 12, true);
    const DWORD visible = WS_VISIBLE;
    const DWORD tab = WS_VISIBLE | WS_TABSTOP;
    const DWORD listStyle = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    const DWORD editStyle = ES_AUTOHSCROLL;

    // Made in tab order: the order of the child windows is the tab order.
    HWND button1 = AddControl({L"BUTTON", L"作成", tab | BS_PUSHBUTTON, 0, 40, 504, 97, 25, Button1, f});
    HWND list1 = AddControl({L"LISTBOX", L"", tab | listStyle, WS_EX_CLIENTEDGE, 112, 40, 393, 313, ListBox1, f});
    AddControl({L"BUTTON", L"編集", tab | BS_PUSHBUTTON, 0, 184, 504, 97, 25, Button2, f});
    AddControl({L"BUTTON", L"削除", tab | BS_PUSHBUTTON, 0, 328, 504, 97, 25, Button3, f});
    AddControl({L"EDIT", L"", tab | editStyle, WS_EX_CLIENTEDGE, 112, 376, 393, 20, Edit1, f});
    AddControl({L"EDIT", L"", tab | editStyle, WS_EX_CLIENTEDGE, 112, 400, 393, 20, Edit2, f});
    HWND edit3 = AddControl({L"EDIT", L"", tab | editStyle, WS_EX_CLIENTEDGE, 112, 424, 393, 20, Edit3, f});
    HWND edit4 =
        AddControl({L"EDIT", kSameAsIcon, tab | editStyle | WS_DISABLED, WS_EX_CLIENTEDGE, 112, 448, 393, 20, Edit4, f});
    AddControl({L"BUTTON", L"参照", tab | BS_PUSHBUTTON, 0, 512, 400, 41, 17, Button4, f});
    AddControl({L"BUTTON", L"参照", tab | BS_PUSHBUTTON, 0, 512, 424, 41, 17, Button5, f});
    AddControl({L"BUTTON", L"参照", tab | BS_PUSHBUTTON | WS_DISABLED, 0, 512, 448, 41, 17, Button6, f});
    AddControl({L"BUTTON", L"終了", tab | BS_PUSHBUTTON, 0, 504, 504, 49, 25, Button7, f});
    HWND list2 = AddControl({L"LISTBOX", L"", WS_TABSTOP | listStyle, WS_EX_CLIENTEDGE, 24, 8, 57, 73, ListBox2, f});
    panel1_ = std::make_unique<Panel>(Handle(), Panel1, kIconPanelCaption, 16, 136, 81, 81, kBackground, b);
    panel2_ = std::make_unique<Panel>(Handle(), Panel2, kHotIconPanelCaption, 16, 232, 81, 81, kBackground, b);
    Place(panel1_->Handle(), 16, 136, 81, 81);
    Place(panel2_->Handle(), 16, 232, 81, 81);
    ::ShowWindow(panel2_->Handle(), SW_HIDE);
    image1_ = std::make_unique<ImageBox>(panel1_->Handle(), Image1, 20, 21, 36, 36, kBackground);
    image2_ = std::make_unique<ImageBox>(panel2_->Handle(), Image2, 20, 21, 36, 36, kBackground);
    Place(image1_->Handle(), 20, 21, 36, 36);
    Place(image2_->Handle(), 20, 21, 36, 36);
    image1_->SetVisible(false);
    image2_->SetVisible(false);
    HWND check =
        AddControl({L"BUTTON", L"ホットアイコンを指定しない", tab | BS_AUTOCHECKBOX, 0, 112, 472, 161, 17, CheckBox1, f});
    ::SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);

    AddControl({L"STATIC", L"ボタン一覧", visible | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 112, 16, 59, 12, Label5, b});
    AddControl({L"STATIC", L"名前　：", visible | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 62, 378, 42, 12, Label1, b});
    AddControl({L"STATIC", L"リンク先　：", visible | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 43, 404, 61, 12, Label2, b});
    HWND label3 = AddControl({L"STATIC", L"アイコン　：", visible | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY, 0, 43, 429, 61, 12, Label3, b});
    HWND label4 =
        AddControl({L"STATIC", L"ホットアイコン　：", visible | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY, 0, 12, 452, 92, 12, Label4, b});
    FitText(Control(Label5), false);
    FitText(check, false);
    for (int label : {Label1, Label2, Label3, Label4}) FitText(Control(label), true);
    AddTooltip(label3, L"通常表示されるアイコン");
    AddTooltip(label4, L"カーソルを重ねたときのアイコン");

    SetItemHeight(list1, 12);
    SetItemHeight(list2, 12);
    nameList_ = list1;
    numberList_ = list2;
    WatchKeys(edit3);
    WatchKeys(edit4);
    edit3Seen_.clear();
    edit4Seen_ = kSameAsIcon;
    SetFirstFocus(button1);
    // Files dropped anywhere on the window, its controls included, come
    // here; the drop point tells which field they are meant for. (The style
    // is what DragAcceptFiles sets, without loading the shell at start-up.)
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ::GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}

void TForm1::FormCreate() { LoadCatalogue(*this); }
void TForm1::Button1Click() { CreateButton(*this); }
void TForm1::ListBox1Click() { SelectButton(*this); }
void TForm1::Button2Click() { EditButton(*this); }
void TForm1::Button3Click() { DeleteButton(*this); }
void TForm1::Button4Click() { Form2->Open(); }

int TForm1::FieldId(Field field) {
    switch (field) {
    case Field::Name:
        return Edit1;
    case Field::LinkTarget:
        return Edit2;
    case Field::Icon:
        return Edit3;
    case Field::HotIcon:
        break;
    }
    return Edit4;
}


int TForm1::SelectedIndex() const { return static_cast<int>(::SendMessageW(Control(ListBox1), LB_GETCURSEL, 0, 0)); }
int TForm1::ButtonNameCount() const { return static_cast<int>(::SendMessageW(Control(ListBox1), LB_GETCOUNT, 0, 0)); }
int TForm1::ButtonNumberCount() const { return static_cast<int>(::SendMessageW(Control(ListBox2), LB_GETCOUNT, 0, 0)); }
std::wstring TForm1::ButtonNameAt(int index) const { return ListBoxItem(Control(ListBox1), index); }
std::wstring TForm1::ButtonNumberAt(int index) const { return ListBoxItem(Control(ListBox2), index); }
void TForm1::RemoveButtonNameAt(int index) {
    ::SendMessageW(Control(ListBox1), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}
void TForm1::RemoveButtonNumberAt(int index) {
    ::SendMessageW(Control(ListBox2), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}
void TForm1::ClearButtonLists() {
    ::SendMessageW(Control(ListBox1), LB_RESETCONTENT, 0, 0);
    ::SendMessageW(Control(ListBox2), LB_RESETCONTENT, 0, 0);
}

void TForm1::AppendButtonName(std::wstring_view name) {
    ::SendMessageW(nameList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(name).c_str()));
}

void TForm1::AppendButtonNumber(std::wstring_view number) {
    ::SendMessageW(numberList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(number).c_str()));
}

// Without redrawing a list box repaints nothing and updates no scroll bar at
// each append, which is most of an append's cost, and the reserved storage
// saves growing the item table step by step.
void TForm1::BeginAppendingButtons(std::size_t count, std::size_t nameChars) {
    for (HWND list : {nameList_, numberList_}) ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(nameList_, LB_INITSTORAGE, count, (nameChars + count) * sizeof(wchar_t));
    // Button numbers have at most ten digits.
    ::SendMessageW(numberList_, LB_INITSTORAGE, count, count * 11 * sizeof(wchar_t));
}

void TForm1::EndAppendingButtons() {
    for (HWND list : {nameList_, numberList_}) {
        const bool shown = (::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE) != 0;
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        if (shown) {
            ::InvalidateRect(list, nullptr, TRUE);
        } else if (::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE) {
            // Where the message reaches DefWindowProc, turning redrawing
            // back on also shows the window: the number list stays hidden.
            ::ShowWindow(list, SW_HIDE);
        }
    }
}

bool TForm1::HotIconSameAsIcon() const {
    return ::SendMessageW(Control(CheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::ShowIconInPreview(Preview preview, const std::wstring& path) {
    IconImage icon;
    icon.LoadFromFile(path);
    // Made now, so that a file that is no drawable icon changes nothing.
    if (!icon.Handle()) throw Failure(L"アイコンイメージが不正です");
    ImageBox& image = PreviewImage(preview);
    image.SetPicture(icon);
    image.SetVisible(true);
    PreviewPanel(preview).SetCaption(L"");
}

void TForm1::EmptyPreview(Preview preview) {
    PreviewImage(preview).SetVisible(false);  // the picture itself stays
    PreviewPanel(preview).SetCaption(preview == Preview::Icon ? kIconPanelCaption : kHotIconPanelCaption);
}

void TForm1::PathChange(int field, std::wstring& lastText, Preview preview) {
    std::wstring text = Text(field);
    if (text == lastText) return;  // setting the text it already has is no change
    lastText = std::move(text);
    if (!FileExists(lastText)) EmptyPreview(preview);
    // An existing file is not loaded while typing: the shown icon stays.
}

void TForm1::PathKeyDown(int field, WPARAM key, Preview preview) {
    if (key != VK_RETURN) return;
    const std::wstring path = Text(field);
    if (FileExists(path)) ShowIconInPreview(preview, path);
}

void TForm1::Edit3Change() { PathChange(Edit3, edit3Seen_, Preview::Icon); }
void TForm1::Edit3KeyDown(WPARAM key) { PathKeyDown(Edit3, key, Preview::Icon); }
void TForm1::Edit4Change() { PathChange(Edit4, edit4Seen_, Preview::HotIcon); }
void TForm1::Edit4KeyDown(WPARAM key) { PathKeyDown(Edit4, key, Preview::HotIcon); }

void TForm1::CheckBox1Click() {
    if (HotIconSameAsIcon()) {
        ::EnableWindow(Control(Edit4), FALSE);
        SetText(Edit4, kSameAsIcon);
        ::EnableWindow(Control(Button6), FALSE);
        image2_->SetVisible(false);
        ::ShowWindow(panel2_->Handle(), SW_HIDE);
    } else {
        ::EnableWindow(Control(Edit4), TRUE);
        SetText(Edit4, L"");
        ::EnableWindow(Control(Button6), TRUE);
        ::ShowWindow(panel2_->Handle(), SW_SHOW);
    }
}

void TForm1::Button5Click() {
    Enable(false);
    Form3->SetCaption(TForm3::kIconModeCaption);
    Form3->Show();
    Form3->OpenDialog1.initialFolder = iconFolder_;
    Form3->SaveDialog1.initialFolder = iconFolder_;
    Form3->ClearIconView();
    Form3->Image1().ClearPicture();
}

void TForm1::Button6Click() {
    Button5Click();
    Form3->SetCaption(TForm3::kHotIconModeCaption);
}

void TForm1::Button7Click() { ::SendMessageW(Handle(), WM_CLOSE, 0, 0); }

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsInternetShortcut(const std::wstring& path) {
    return path.size() >= 4 &&
           ::CompareStringOrdinal(path.c_str() + path.size() - 4, 4, L".url", 4, TRUE) == CSTR_EQUAL;
}

}  // namespace

void TForm1::FormDropFiles(HDROP drop) {
    struct Finish {
        HDROP drop;
        ~Finish() { ::DragFinish(drop); }
    } finish{drop};
    // Not while a sub-window (or a box) holds the main window disabled.
    if (!IsEnabled() || (Form2 && Form2->IsShown()) || (Form3 && Form3->IsShown())) return;
    if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return;
    // Of several files, the first.
    const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    path.resize(::DragQueryFileW(drop, 0, path.data(), length + 1));
    if (path.empty()) return;

    POINT at{};
    if (!::DragQueryPoint(drop, &at)) return;  // dropped on the frame
    HWND target = ::ChildWindowFromPointEx(Handle(), at, CWP_SKIPINVISIBLE);
    if (!target || target == Handle()) return;
    switch (::GetDlgCtrlID(target)) {
    case Edit1:
    case Edit2:
        DropLinkTarget(path);
        break;
    case Edit3:
    case Panel1:
        DropIconFile(Edit3, Preview::Icon, path);
        break;
    case Edit4:
    case Panel2:
        if (::IsWindowEnabled(Control(Edit4))) DropIconFile(Edit4, Preview::HotIcon, path);
        break;
    default:
        break;
    }
}

void TForm1::DropLinkTarget(const std::wstring& path) {
    // An Internet shortcut stands for the address it holds.
    const bool folder = IsFolder(path);
    SetText(Edit2, !folder && IsInternetShortcut(path) ? ReadInternetShortcut(path) : path);
    if (!Text(Edit1).empty()) return;
    SetText(Edit1, folder ? path.substr(path.find_last_of(L'\\') + 1) : NameWithoutExtension(path));
}

void TForm1::DropIconFile(int field, Preview preview, const std::wstring& path) {
    // As a path typed into the field and Enter: a folder is no icon file.
    if (!FileExists(path)) return;
    SetText(field, path);
    PathKeyDown(field, VK_RETURN, preview);
}

void TForm1::OnClose() {
    // Closing the main window ends the program, without a question.
    Hide();
    ::PostQuitMessage(0);
}

void TForm1::OnCommand(int id, int code, HWND) {
    switch (id) {
    case Edit3:
        if (code == EN_CHANGE) Edit3Change();
        break;
    case Edit4:
        if (code == EN_CHANGE) Edit4Change();
        break;
    case CheckBox1:
        if (code == BN_CLICKED) CheckBox1Click();
        break;
    case Button1:
        if (code == BN_CLICKED) Button1Click();
        break;
    case ListBox1:
        if (code == LBN_SELCHANGE) ListBox1Click();
        break;
    case Button2:
        if (code == BN_CLICKED) Button2Click();
        break;
    case Button3:
        if (code == BN_CLICKED) Button3Click();
        break;
    case Button4:
        if (code == BN_CLICKED) Button4Click();
        break;
    case Button5:
        if (code == BN_CLICKED) Button5Click();
        break;
    case Button6:
        if (code == BN_CLICKED) Button6Click();
        break;
    case Button7:
        if (code == BN_CLICKED) Button7Click();
        break;
    default:
        break;
    }
}

void TForm1::OnControlKeyDown(HWND control, WPARAM key) {
    if (control == Control(Edit3)) Edit3KeyDown(key);
    else if (control == Control(Edit4)) Edit4KeyDown(key);
}

}  // namespace orbelune
