#include "ui/linkbrowser/form2.h"

#include "app/application.h"
#include "app/message_box.h"
#include "app/subwindow.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "store/registry_layout.h"
#include "ui/linkbrowser/internet_shortcut.h"
#include "ui/main/form1.h"


#include <cstring>
#include <vector>

namespace orbelune {

namespace {

constexpr COLORREF kBackground = RGB(191, 255, 113);
constexpr COLORREF kSourceHighlight = RGB(225, 255, 217);
constexpr wchar_t kNothingSelected[] = L"選択されていません";
constexpr std::size_t kLongestUrlBytes = 2047;
constexpr std::size_t kShortcutPiece = 64 * 1024;

int Selection(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)); }

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EndsWithUrl(const std::wstring& name) {
    return name.size() >= 4 && ::CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".url", 4, TRUE) == CSTR_EQUAL;
}

// Bytes of a shortcut file, whole characters in its encoding, as text.
std::wstring Decode(const std::uint8_t* bytes, std::size_t size, ShortcutEncoding encoding) {
    if (size == 0) return {};
    if (encoding == ShortcutEncoding::Utf16) {
        std::wstring text(size / 2, L'\0');
        std::memcpy(text.data(), bytes, text.size() * 2);
        return text;
    }
    if (encoding == ShortcutEncoding::Cp932)
        return FromCp932(std::string_view(reinterpret_cast<const char*>(bytes), size));
    const auto* source = reinterpret_cast<const char*>(bytes);
    const int length = static_cast<int>(size);
    const int chars = ::MultiByteToWideChar(CP_UTF8, 0, source, length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(chars), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, source, length, text.data(), chars);
    return text;
}

// Whole characters while their code page 932 form stays within the limit.
std::wstring LimitBytes(const std::wstring& text, std::size_t limit) {
    if (ToCp932(text).size() <= limit) return text;
    std::wstring kept;
    std::size_t bytes = 0;
    for (wchar_t c : text) {
        const std::size_t size = ToCp932(std::wstring(1, c)).size();
        if (bytes + size > limit) break;
        kept += c;
        bytes += size;
    }
    return kept;
}

}  // namespace

std::wstring ReadInternetShortcut(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    // Read piece by piece until the entry is found: any size of file is
    // read in the same small memory.
    InternetShortcutScanner scanner;
    std::vector<std::uint8_t> buffer(kShortcutPiece + 4);
    std::size_t held = 0;  // bytes of a character cut at the end of the last piece
    bool first = true;
    ShortcutEncoding encoding = ShortcutEncoding::Cp932;
    while (!scanner.Found()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer.data() + held, static_cast<DWORD>(kShortcutPiece), &read, nullptr))
            return {};
        held += read;
        std::size_t start = 0;
        if (first) {
            encoding = ShortcutEncodingOf(buffer.data(), held, start);
            first = false;
        }
        const bool end = read == 0;
        const std::size_t whole =
            end ? held : start + WholeCharacterBytes(buffer.data() + start, held - start, encoding);
        scanner.Feed(Decode(buffer.data() + start, whole - start, encoding));
        std::memmove(buffer.data(), buffer.data() + whole, held - whole);
        held -= whole;
        if (end) break;
    }
    scanner.Finish();
    return LimitBytes(scanner.Url(), kLongestUrlBytes);
}

TForm2::TForm2() : Form(kBackground), highlight_(::CreateSolidBrush(kSourceHighlight)) {
    // The process's current folder until the first opening names another.
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    folder_.resize(length);
    folder_.resize(::GetCurrentDirectoryW(length, folder_.data()));
    // Created hidden; a dialog frame without title-bar buttons.
    CreateForm(L"TForm2", L"リンク先参照", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, 177, 161,
               537, 382);
    CreateControls();
    ReadFavorites();
}

void TForm2::CreateControls() {
    HFONT f = AddFont(L"ＭＳ Ｐゴシック", 12);
    HFONT b = AddFont(L"ＭＳ Ｐゴシック", 12, true);
    const DWORD tab = WS_VISIBLE | WS_TABSTOP;
    const DWORD list = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    HWND files = AddControl({L"LISTBOX", L"", tab | list | LBS_SORT, WS_EX_CLIENTEDGE, 16, 24, 241, 265, FileListBox1, f});
    HWND typed = AddControl({L"LISTBOX", L"", tab | list, WS_EX_CLIENTEDGE, 280, 24, 241, 265, ListBox1, f});
    SetItemHeight(files, 16);
    SetItemHeight(typed, 12);
    AddControl({L"BUTTON", L"OK", tab | BS_PUSHBUTTON, 0, 288, 312, 89, 25, Button1, f});
    AddControl({L"BUTTON", L"キャンセル", tab | BS_PUSHBUTTON, 0, 416, 312, 89, 25, Button2, f});
    HWND favorites =
        AddControl({L"BUTTON", L"お気に入り", tab | WS_GROUP | BS_AUTORADIOBUTTON, 0, 40 + 8, 298 + 19, 73, 17, RadioButton1, f});
    HWND handTyped =
        AddControl({L"BUTTON", L"手書き入力", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 40 + 96, 298 + 19, 81, 17, RadioButton2, f});
    FitText(favorites, false);
    FitText(handTyped, false);
    ::SendMessageW(favorites, BM_SETCHECK, BST_CHECKED, 0);
    AddGroupBox(L"読み込み元", WS_GROUP, 40, 298, 193, 41, GroupBox1, f);

    statusBar_ = std::make_unique<Panel>(Handle(), StatusBar1, L"", 0, 360, 537, 22, kBackground, f, Panel::Look::StatusBar);
    Place(statusBar_->Handle(), 0, 360, 537, 22);

    FitText(AddControl({L"STATIC", L"お気に入り", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 104, 8, 60, 12, Label1, b}),
            false);
    FitText(AddControl({L"STATIC", L"手書き入力 プルダウン", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 336, 8, 128,
                        12, Label2, b}),
            false);
    SetFirstFocus(files);
}

bool TForm2::FavoritesActive() const {
    return ::SendMessageW(Control(RadioButton1), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring TForm2::StatusText() const { return statusBar_->Caption(); }

std::wstring TForm2::SelectedFavoritePath() const {
    const int selected = Selection(Control(FileListBox1));
    if (selected < 0) return {};
    return JoinPath(folder_, ListBoxItem(Control(FileListBox1), selected));
}

void TForm2::ApplyFavoritesFolder(const std::wstring& folder) {
    if (folder.empty()) return;
    if (::CompareStringOrdinal(folder.c_str(), -1, folder_.c_str(), -1, TRUE) == CSTR_EQUAL) return;
    // A folder that does not exist leaves the list at its own, read again.
    if (IsFolder(folder)) folder_ = folder;
    ReadFavorites();
}

void TForm2::ReadFavorites() {
    HWND list = Control(FileListBox1);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(JoinPath(folder_, L"*.url").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        // Short 8.3 names match "*.url" for longer extensions too: the name
        // itself must end in ".url".
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        if (!EndsWithUrl(name)) continue;
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

void TForm2::Open() {
    // Whatever happens in the registry: the browser is shown and the main
    // window disabled.
    struct ShowWhenDone {
        TForm2& form;
        ~ShowWhenDone() {
            form.Show();
            if (Form1) Form1->Enable(false);
        }
    } showWhenDone{*this};
    Registry registry;

    if (registry.OpenKey(layout::kShellFoldersKey, false)) ApplyFavoritesFolder(registry.ReadString(layout::kFavorites));
    registry.CloseKey();

    if (registry.OpenKey(layout::kTypedUrlsKey, false)) ReadTypedAddresses(registry);
}

void TForm2::ReadTypedAddresses(Registry& registry) {
    HWND list = Control(ListBox1);
    const int selected = Selection(list);
    const std::wstring chosen = selected >= 0 ? ListBoxItem(list, selected) : std::wstring();
    // Read afresh: the list holds each typed address once. The address that
    // was selected stays so while it is still there, also when a bad value
    // ends the reading; else nothing is selected.
    struct Reselect {
        HWND list;
        const std::wstring& chosen;
        bool any;
        ~Reselect() {
            if (!any) return;
            const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                if (ListBoxItem(list, i) == chosen) {
                    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
                    return;
                }
            }
        }
    } reselect{list, chosen, selected >= 0};
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < layout::kTypedUrlCount; ++i) {
        const std::wstring address = registry.ReadString(layout::kTypedUrlPrefix + std::to_wstring(i));
        if (!address.empty()) ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(address.c_str()));
    }
}

void TForm2::MakeActive(int radio) {
    if (::SendMessageW(Control(radio), BM_GETCHECK, 0, 0) == BST_CHECKED) return;
    ::CheckRadioButton(Handle(), RadioButton1, RadioButton2, radio);
    if (radio == RadioButton1)
        RadioButton1Click();
    else
        RadioButton2Click();
}

void TForm2::FileListBox1Click() {
    MakeActive(RadioButton1);
    statusBar_->SetCaption(ListBoxItem(Control(FileListBox1), Selection(Control(FileListBox1))));
}

void TForm2::ListBox1Click() {
    MakeActive(RadioButton2);
    statusBar_->SetCaption(ListBoxItem(Control(ListBox1), Selection(Control(ListBox1))));
}

// The active source gets the highlight; the lists are painted again.
void TForm2::RadioButton1Click() {
    ::InvalidateRect(Control(FileListBox1), nullptr, TRUE);
    ::InvalidateRect(Control(ListBox1), nullptr, TRUE);
}

void TForm2::RadioButton2Click() { RadioButton1Click(); }

void TForm2::Button1Click() {
    if (FavoritesActive()) {
        const std::wstring path = SelectedFavoritePath();
        if (path.empty()) {
            ShowInformation(kNothingSelected);
        } else {
            Form1->SetText(TForm1::Edit2, ReadInternetShortcut(path));
            if (Form1->Text(TForm1::Edit1).empty()) Form1->SetText(TForm1::Edit1, NameWithoutExtension(path));
        }
    } else {
        const int selected = Selection(Control(ListBox1));
        if (selected < 0)
            ShowInformation(kNothingSelected);
        else
            Form1->SetText(TForm1::Edit2, ListBoxItem(Control(ListBox1), selected));
    }
    LeaveSubWindow(*this);
}

void TForm2::Button2Click() { LeaveSubWindow(*this); }

LRESULT TForm2::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORLISTBOX) {
        const auto list = reinterpret_cast<HWND>(lParam);
        const bool active = (list == Control(FileListBox1)) == FavoritesActive();
        if (active) {
            ::SetBkColor(reinterpret_cast<HDC>(wParam), kSourceHighlight);
            return reinterpret_cast<LRESULT>(highlight_.Get());
        }
        return Default(message, wParam, lParam);
    }
    return Form::OnMessage(message, wParam, lParam);
}

void TForm2::OnCommand(int id, int code, HWND) {
    switch (id) {
    case FileListBox1:
        if (code == LBN_SELCHANGE) FileListBox1Click();
        else if (code == LBN_DBLCLK) Button1Click();
        break;
    case ListBox1:
        if (code == LBN_SELCHANGE) ListBox1Click();
        else if (code == LBN_DBLCLK) Button1Click();
        break;
    case RadioButton1:
        if (code == BN_CLICKED) RadioButton1Click();
        break;
    case RadioButton2:
        if (code == BN_CLICKED) RadioButton2Click();
        break;
    case Button1:
        if (code == BN_CLICKED) Button1Click();
        break;
    case Button2:
        if (code == BN_CLICKED) Button2Click();
        break;
    default:
        break;
    }
}

}  // namespace orbelune
