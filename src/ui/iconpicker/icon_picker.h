// The icon picker: lists the icons of a file, shows the chosen one, and
// saves it as an .ico file for the icon or hot-icon field of the form that
// opened it. Its caption tells which of the two it serves.
#pragma once

#include "app/file_dialog.h"
#include "platform/handle.h"
#include "ui/form.h"
#include "ui/iconpicker/grid_images.h"
#include "ui/image_box.h"

#include <functional>
#include <memory>
#include <string>

namespace orbelune {

class IconPicker final : public Form {
public:
    static constexpr wchar_t kIconModeCaption[] = L"アイコン参照";
    static constexpr wchar_t kHotIconModeCaption[] = L"ホットアイコン参照";

    enum Id : int {
        kIconGrid = 301,
        kOpenButton,
        kSaveButton,
        kChosenIconGroup,
        kChosenIconImage,
        kDepthGroup,
        kColor16Radio,
        kColor256Radio,
        kHighColorRadio,
        kBackButton,
    };

    // The form and its controls at 96 dpi.
    static constexpr FormRect kFormRect{319, 168, 249, 363};
    static constexpr LayoutRect kLayout[] = {
        {kIconGrid, 8, 8, 233, 218},
        {kOpenButton, 7, 233, 74, 33},
        {kSaveButton, 87, 233, 74, 33},
        {kChosenIconImage, 15 + 19, 281 + 21, 36, 36},
        {kChosenIconGroup, 15, 281, 73, 65},
        {kColor16Radio, 123 + 16, 277 + 18, 81, 17, Grow::KeepLeft},
        {kColor256Radio, 123 + 16, 277 + 36, 81, 17, Grow::KeepLeft},
        {kHighColorRadio, 123 + 16, 277 + 54, 89, 17, Grow::KeepLeft},
        {kDepthGroup, 123, 277, 113, 77},
        {kBackButton, 168, 232, 73, 33},
    };

    // What the picker hands its opener: the path of the icon file chosen.
    using IconChosen = std::function<void(const std::wstring& path)>;

    IconPicker();
    ~IconPicker() override;

    // Disables the opener and shows the picker with the caption of its mode,
    // its file dialogs in the icon folder, and nothing listed or chosen. The
    // icon file chosen goes to `chosen` (app/subwindow.h).
    void Open(Form& opener, const wchar_t* caption, const std::wstring& iconFolder, IconChosen chosen);

    ImageBox& ChosenIconImage() { return *chosenIconImage_; }
    void ClearIconGrid();
    int IconGridCount() const;

    FileDialogState openDialog;
    FileDialogState saveDialog;

    // Depth codes: 0 (the icon's own), 16, 256, 65536.
    int ChosenDepth() const noexcept { return chosenDepth_; }
    int SavingDepth() const noexcept { return savingDepth_; }
    int IconCount() const noexcept { return iconCount_; }
    const std::wstring& OpenedFile() const noexcept { return openedFile_; }
    // The caption tells the mode: the icon, or else the hot icon.
    bool IconMode() const { return Caption() == kIconModeCaption; }

    // Lists every icon of the file in the grid.
    void ListIconsOfFile(const std::wstring& path);
    // Writes the chosen icon to a file the user names and hands it to the
    // opener.
    void SaveChosenIcon();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

private:
    // Handlers, reached through kCommands and OnMessage.
    static const Command kCommands[];
    void OnOpenClicked();
    void OnBackClicked();
    void OnSaveClicked();
    void OnIconGridClicked();
    void OnColor16Clicked() { ChooseDepth(kColor16Radio, 16); }
    void OnColor256Clicked() { ChooseDepth(kColor256Radio, 256); }
    void OnHighColorClicked() { ChooseDepth(kHighColorRadio, 65536); }
    // Only a button that becomes selected changes the depth.
    void ChooseDepth(int radio, int depth);

    void CreateControls();
    static LRESULT CALLBACK GridKeys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    void HandToOpener(const std::wstring& path);

    // The size of the chosen icon, and of the grid's icons at 96 dpi.
    static constexpr int kIconSize = 32;
    int GridIconSize() const;
    // The grid's images start again at the grid's icon size (after a new
    // listing, a new DPI or a new display depth).
    void RemakeGridImages();
    // What the grid asks of its owner: an item's caption and image, and the
    // item whose caption starts with what was typed.
    LRESULT OnGridNotify(const NMHDR& header);
    // The icons of a library that fits the grid's images whole are made
    // ahead, a few at a time, while the window waits for input.
    void MakeAhead();
    // Lets go of the listed file once the messages waiting now are handled.
    void LeaveFileSoon();

    Form* opener_ = nullptr;
    IconChosen chosen_;
    // The file the grid lists, checked once: its cells and the clicks on
    // them are made from it. It is held open only while icons are made.
    std::unique_ptr<ExecutableIcons> listed_;
    std::wstring listedFile_;
    GridImages gridImages_;
    unsigned listing_ = 0;  // counts listings: what is made ahead belongs to the last
    bool leavePosted_ = false;
    std::unique_ptr<ImageBox> chosenIconImage_;
    int iconCount_ = 0;
    std::wstring openedFile_;
    std::wstring openedExtension_;
    int savingDepth_ = 0;
    int chosenDepth_ = 0;
    int selectedRadio_ = kColor256Radio;
    bool keyInGrid_ = false;  // while the grid handles a key
};

}  // namespace orbelune
