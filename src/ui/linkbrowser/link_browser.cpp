#include "ui/linkbrowser/link_browser.h"

#include "app/message_box.h"
#include "app/subwindow.h"
#include "links/internet_shortcut.h"
#include "links/link_sources.h"
#include "platform/files.h"

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
    SetControls(kControls, kFonts);
    CreateForm(L"TForm2", L"リンク先参照", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, kFormRect);
    MakeControls();
    SetFirstFocus(Control(kFavoritesList));
    ReadFavorites();
}

HWND LinkBrowser::MakeWindow(const ControlRow& row) {
    const LayoutRect& bar = row.place;
    statusBar_ = std::make_unique<Panel>(Handle(), bar.id, L"", bar.x, bar.y, bar.width, bar.height, kBackground,
                                         Font(row.font), Panel::Look::StatusBar);
    Place(statusBar_->Handle(), bar.id);
    return statusBar_->Handle();
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
