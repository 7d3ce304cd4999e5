#include "ui/linkbrowser/link_browser.h"

#include "app/message_box.h"
#include "app/subwindow.h"
#include "links/internet_shortcut.h"
#include "links/link_sources.h"
#include "platform/files.h"
#include "ui/accessible_name.h"

#include <exception>

namespace orbelune {

namespace {

constexpr COLORREF kBackground = RGB(191, 255, 113);
constexpr COLORREF kSourceHighlight = RGB(225, 255, 217);
constexpr wchar_t kNothingSelected[] = L"選択されていません";

int Selection(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)); }

}  // namespace

// A double click on an item is "OK".
const Command LinkBrowser::kCommands[] = {
    {kFavoritesList, LBN_SELCHANGE, Calls<&LinkBrowser::OnFavoritesListClicked>},
    {kFavoritesList, LBN_DBLCLK, Calls<&LinkBrowser::OnOkClicked>},
    {kTypedAddressList, LBN_SELCHANGE, Calls<&LinkBrowser::OnTypedAddressListClicked>},
    {kTypedAddressList, LBN_DBLCLK, Calls<&LinkBrowser::OnOkClicked>},
    {kFavoritesRadio, BN_CLICKED, Calls<&LinkBrowser::OnFavoritesRadioClicked>},
    {kTypedAddressRadio, BN_CLICKED, Calls<&LinkBrowser::OnTypedAddressRadioClicked>},
    {kOkButton, BN_CLICKED, Calls<&LinkBrowser::OnOkClicked>},
    {kCancelButton, BN_CLICKED, Calls<&LinkBrowser::OnCancelClicked>},
};

LinkBrowser::LinkBrowser() : Form(kBackground), highlight_(::CreateSolidBrush(kSourceHighlight)) {
    SetCommands(kCommands);
    // The process's current folder until the first opening names another.
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    folder_.resize(length);
    folder_.resize(::GetCurrentDirectoryW(length, folder_.data()));
    // Created hidden; a dialog frame without title-bar buttons.
    // Other programs find this window by its class name: it stays "TForm2".
    SetLayout(kLayout);
    CreateForm(L"TForm2", L"リンク先参照", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, kFormRect);
    CreateControls();
    ReadFavorites();
}

void LinkBrowser::CreateControls() {
    HFONT f = AddFont(L"ＭＳ Ｐゴシック", 12);
    HFONT b = AddFont(L"ＭＳ Ｐゴシック", 12, true);
    const DWORD tab = WS_VISIBLE | WS_TABSTOP;
    const DWORD list = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    const DWORD labelStyle = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
    // Each label (no tab stop) right before the list it names, where screen
    // readers look for it; the lists are read by their labels.
    HWND filesLabel = AddControl({L"STATIC", L"お気に入り", labelStyle, 0, kFavoritesLabel, b});
    HWND files =
        AddControl({L"LISTBOX", L"", tab | list | LBS_SORT, WS_EX_CLIENTEDGE, kFavoritesList, f});
    HWND typedLabel =
        AddControl({L"STATIC", L"手書き入力 プルダウン", labelStyle, 0, kTypedAddressLabel, b});
    HWND typed = AddControl({L"LISTBOX", L"", tab | list, WS_EX_CLIENTEDGE, kTypedAddressList, f});
    for (auto [label, control] : {std::pair{filesLabel, files}, std::pair{typedLabel, typed}})
        SetAccessibleName(control, NameFromLabel(WindowText(label)));
    SetItemHeight(files, 16);
    SetItemHeight(typed, 12);
    AddControl({L"BUTTON", L"OK", tab | BS_PUSHBUTTON, 0, kOkButton, f});
    AddControl({L"BUTTON", L"キャンセル", tab | BS_PUSHBUTTON, 0, kCancelButton, f});
    HWND favorites = AddControl({L"BUTTON", L"お気に入り", tab | WS_GROUP | BS_AUTORADIOBUTTON, 0, kFavoritesRadio, f});
    AddControl({L"BUTTON", L"手書き入力", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, kTypedAddressRadio, f});
    ::SendMessageW(favorites, BM_SETCHECK, BST_CHECKED, 0);
    AddGroupBox(L"読み込み元", WS_GROUP, kSourceGroup, f);

    const LayoutRect& bar = LayoutOf(kStatusBar);
    statusBar_ = std::make_unique<Panel>(Handle(), kStatusBar, L"", bar.x, bar.y, bar.width, bar.height, kBackground,
                                         f, Panel::Look::StatusBar);
    Place(statusBar_->Handle(), kStatusBar);
    SetFirstFocus(files);
}

bool LinkBrowser::FavoritesActive() const {
    return ::SendMessageW(Control(kFavoritesRadio), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring LinkBrowser::StatusText() const { return statusBar_->Caption(); }

std::wstring LinkBrowser::SelectedFavoritePath() const {
    const int selected = Selection(Control(kFavoritesList));
    if (selected < 0) return {};
    return JoinPath(folder_, ListBoxItem(Control(kFavoritesList), selected));
}

void LinkBrowser::ApplyFavoritesFolder(const std::wstring& folder) {
    if (folder.empty()) return;
    if (::CompareStringOrdinal(folder.c_str(), -1, folder_.c_str(), -1, TRUE) == CSTR_EQUAL) return;
    // A folder that does not exist leaves the list at its own, read again.
    if (IsFolder(folder)) folder_ = folder;
    ReadFavorites();
}

void LinkBrowser::ReadFavorites() {
    HWND list = Control(kFavoritesList);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : FavoriteShortcuts(folder_))
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void LinkBrowser::Open(Form& opener, LinkChosen chosen) {
    opener_ = &opener;
    chosen_ = std::move(chosen);
    // Whatever happens in the registry: the browser is shown and the opener
    // disabled, then a failure there ends the handler.
    std::exception_ptr failure;
    try {
        ApplyFavoritesFolder(ReadFavoritesFolder());
        if (TypedAddresses typed; typed.Open()) FillTypedAddresses(typed);
    } catch (...) {
        failure = std::current_exception();
    }
    Show();
    opener.Enable(false);
    if (failure) std::rethrow_exception(failure);
}

void LinkBrowser::FillTypedAddresses(const TypedAddresses& typed) {
    HWND list = Control(kTypedAddressList);
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
            try {
                for (int i = 0; i < count; ++i) {
                    if (ListBoxItem(list, i) == chosen) {
                        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
                        return;
                    }
                }
            } catch (...) {  // no memory for an item's text: nothing selected
            }
        }
    } reselect{list, chosen, selected >= 0};
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    typed.ForEach([list](const std::wstring& address) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(address.c_str()));
    });
}

void LinkBrowser::MakeActive(int radio) {
    if (::SendMessageW(Control(radio), BM_GETCHECK, 0, 0) == BST_CHECKED) return;
    ::CheckRadioButton(Handle(), kFavoritesRadio, kTypedAddressRadio, radio);
    if (radio == kFavoritesRadio)
        OnFavoritesRadioClicked();
    else
        OnTypedAddressRadioClicked();
}

void LinkBrowser::OnFavoritesListClicked() {
    MakeActive(kFavoritesRadio);
    statusBar_->SetCaption(ListBoxItem(Control(kFavoritesList), Selection(Control(kFavoritesList))));
}

void LinkBrowser::OnTypedAddressListClicked() {
    MakeActive(kTypedAddressRadio);
    statusBar_->SetCaption(ListBoxItem(Control(kTypedAddressList), Selection(Control(kTypedAddressList))));
}

// The active source gets the highlight; the lists are painted again.
void LinkBrowser::OnFavoritesRadioClicked() {
    ::InvalidateRect(Control(kFavoritesList), nullptr, TRUE);
    ::InvalidateRect(Control(kTypedAddressList), nullptr, TRUE);
}

void LinkBrowser::OnTypedAddressRadioClicked() { OnFavoritesRadioClicked(); }

void LinkBrowser::OnOkClicked() {
    if (FavoritesActive()) {
        const std::wstring path = SelectedFavoritePath();
        if (path.empty()) {
            ShowInformation(kNothingSelected);
        } else if (chosen_) {
            const Link link = LinkFromFile(path);
            chosen_(link.target, link.name);
        }
    } else {
        const int selected = Selection(Control(kTypedAddressList));
        if (selected < 0)
            ShowInformation(kNothingSelected);
        else if (chosen_)
            chosen_(ListBoxItem(Control(kTypedAddressList), selected), L"");
    }
    LeaveSubWindow(*this, opener_);
}

void LinkBrowser::OnCancelClicked() { LeaveSubWindow(*this, opener_); }

LRESULT LinkBrowser::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORLISTBOX) {
        // cppcheck-suppress constVariable ; HWND is a handle, not data of ours to make const
        const auto list = reinterpret_cast<HWND>(lParam);
        // The source highlight; the system's colours in the high-contrast mode.
        const bool active = (list == Control(kFavoritesList)) == FavoritesActive();
        if (active && !HighContrast()) {
            ::SetBkColor(reinterpret_cast<HDC>(wParam), kSourceHighlight);
            return reinterpret_cast<LRESULT>(highlight_.Get());
        }
        return Default(message, wParam, lParam);
    }
    return Form::OnMessage(message, wParam, lParam);
}

}  // namespace orbelune
