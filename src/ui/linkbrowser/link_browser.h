// The link-target browser: the Favorites' Internet shortcuts and the
// addresses typed into Internet Explorer, from which a button's link target
// (and, for a favourite, an empty name) is taken.
#pragma once

#include "platform/handle.h"
#include "platform/registry.h"
#include "ui/form.h"
#include "ui/panel.h"

#include <functional>
#include <memory>
#include <string>

namespace orbelune {

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

    void CreateControls();
    void ApplyFavoritesFolder(const std::wstring& folder);
    void ReadFavorites();
    void ReadTypedAddresses(Registry& registry);
    // Checks a radio button that is not checked and runs its click rule.
    void MakeActive(int radio);

    Form* opener_ = nullptr;
    LinkChosen chosen_;
    UniqueBrush highlight_;
    std::unique_ptr<Panel> statusBar_;
    std::wstring folder_;
};

}  // namespace orbelune
