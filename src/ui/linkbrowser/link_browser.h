// The link-target browser: the Favorites' Internet shortcuts and the
// addresses typed into Internet Explorer, from which a button's link target
// (and, for a favourite, an empty name) is taken.
#pragma once

#include "platform/handle.h"
#include "platform/registry.h"
#include "ui/form.h"
#include "ui/panel.h"

#include <memory>

#include <string>

namespace orbelune {

// The text of a shortcut's "URL" entry, at most 2047 bytes of code page
// 932; empty when the file, the section or the entry is missing.
std::wstring ReadInternetShortcut(const std::wstring& path);

// Whether a file name really ends in ".url" (any letter case).
bool EndsWithUrl(const std::wstring& name);

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

    LinkBrowser();
    ~LinkBrowser() override { Destroy(); }


    // Opening from the main window: points the favourites list at the
    // Favorites folder, reads the typed addresses afresh, then shows the
    // browser and disables the main window, also after a failure.
    void Open();

    // The favourites list's folder, and the full path of its selection
    // (empty when nothing is selected).
    const std::wstring& FavoritesFolder() const noexcept { return folder_; }
    std::wstring SelectedFavoritePath() const;
    bool FavoritesActive() const;
    std::wstring StatusText() const;

    // Handlers.
    void OnFavoritesListClicked();
    void OnTypedAddressListClicked();
    void OnFavoritesRadioClicked();
    void OnTypedAddressRadioClicked();
    void OnOkClicked();
    void OnCancelClicked();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(int id, int code, HWND control) override;

private:
    void CreateControls();
    void ApplyFavoritesFolder(const std::wstring& folder);
    void ReadFavorites();
    void ReadTypedAddresses(Registry& registry);
    // Checks a radio button that is not checked and runs its click rule.
    void MakeActive(int radio);

    UniqueBrush highlight_;
    std::unique_ptr<Panel> statusBar_;
    std::wstring folder_;
};

}  // namespace orbelune
