// The link-target browser: the Favorites' Internet shortcuts and the
// addresses typed into Internet Explorer, from which a button's link target
// (and, for a favourite, an empty name) is taken.
#pragma once

#include "platform/handle.h"
#include "ui/form.h"
#include "ui/panel.h"

#include <functional>
#include <memory>
#include <string>

namespace orbelune {

class TypedAddresses;

class LinkBrowser final : public Form {
public:
    enum Id : int {
        kFavoritesList = 201,
        kTypedAddressList,
        kOkButton,
        kCancelButton,
        kFavoritesRadio,
        kTypedAddressRadio,
        kSourceGroup,
        kStatusBar,
        kFavoritesLabel,
        kTypedAddressLabel,
    };

    // The form at 96 dpi, its fonts and its controls, in tab order. Each
    // label (no tab stop) comes right before the list it names, where screen
    // readers look for it; the lists are read by their labels.
    static constexpr FormRect kFormRect{177, 161, 537, 382};
    enum FontIndex : int { kPlain, kBold };
    static constexpr FontSpec kFonts[] = {{L"ＭＳ Ｐゴシック", 12}, {L"ＭＳ Ｐゴシック", 12, true}};
    static constexpr ControlRow kControls[] = {
        {{kFavoritesLabel, 104, 8, 60, 12, Grow::KeepLeft}, L"STATIC", L"お気に入り", kLabelStyle, 0, kBold},
        {{kFavoritesList, 16, 24, 241, 265}, L"LISTBOX", L"", kTabStop | kListStyle | LBS_SORT, WS_EX_CLIENTEDGE,
         kPlain, kFavoritesLabel, nullptr, 16},
        {{kTypedAddressLabel, 336, 8, 128, 12, Grow::KeepLeft}, L"STATIC", L"手書き入力 プルダウン", kLabelStyle, 0,
         kBold},
        {{kTypedAddressList, 280, 24, 241, 265}, L"LISTBOX", L"", kTabStop | kListStyle, WS_EX_CLIENTEDGE, kPlain,
         kTypedAddressLabel, nullptr, 12},
        {{kOkButton, 288, 312, 89, 25}, L"BUTTON", L"OK", kTabStop | BS_PUSHBUTTON},
        {{kCancelButton, 416, 312, 89, 25}, L"BUTTON", L"キャンセル", kTabStop | BS_PUSHBUTTON},
        {{kFavoritesRadio, 40 + 8, 298 + 19, 73, 17, Grow::KeepLeft}, L"BUTTON", L"お気に入り",
         kTabStop | WS_GROUP | BS_AUTORADIOBUTTON, 0, kPlain, 0, nullptr, 0, true},
        {{kTypedAddressRadio, 40 + 96, 298 + 19, 81, 17, Grow::KeepLeft}, L"BUTTON", L"手書き入力",
         WS_VISIBLE | BS_AUTORADIOBUTTON},
        {{kSourceGroup, 40, 298, 193, 41}, L"BUTTON", L"読み込み元", kGroupBoxStyle | WS_GROUP},
        {{kStatusBar, 0, 360, 537, 22}, nullptr},  // a panel drawn as a status bar
    };

    // What "OK" hands the opener: the link target, and the name a favourite
    // gives it (empty for a typed address).
    using LinkChosen = std::function<void(const std::wstring& link, const std::wstring& name)>;

    LinkBrowser();
    ~LinkBrowser() override { Destroy(); }

    // Points the favourites list at the Favorites folder, reads the typed
    // addresses afresh, then shows the browser and disables the opener, also
    // after a failure. The choice goes to `chosen` (app/subwindow.h).
    void Open(Form& opener, LinkChosen chosen);

    // The favourites list's folder, and the full path of its selection
    // (empty when nothing is selected).
    const std::wstring& FavoritesFolder() const noexcept { return folder_; }
    std::wstring SelectedFavoritePath() const;
    bool FavoritesActive() const;
    std::wstring StatusText() const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Handlers, reached through kCommands.
    static const Command kCommands[];
    void OnFavoritesListClicked();
    void OnTypedAddressListClicked();
    void OnFavoritesRadioClicked();
    void OnTypedAddressRadioClicked();
    void OnOkClicked();
    void OnCancelClicked();

    HWND MakeWindow(const ControlRow& row) override;
    void ApplyFavoritesFolder(const std::wstring& folder);
    void ReadFavorites();
    void FillTypedAddresses(const TypedAddresses& typed);
    // Checks a radio button that is not checked and runs its click rule.
    void MakeActive(int radio);

    Form* opener_ = nullptr;
    LinkChosen chosen_;
    UniqueBrush highlight_;
    std::unique_ptr<Panel> statusBar_;
    std::wstring folder_;
};

}  // namespace orbelune
