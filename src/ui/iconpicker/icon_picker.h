// The icon picker: lists the icons of a file, shows the chosen one, and
// saves it as an .ico file for the icon or hot-icon field of the form that
// opened it. Its caption tells which of the two it serves.
#pragma once

#include "app/file_dialog.h"
#include "icon/ico_layout.h"
#include "platform/handle.h"
#include "ui/form.h"
#include "ui/iconpicker/grid_images.h"
#include "ui/image_box.h"

#include <commctrl.h>

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

    // The form at 96 dpi, its fonts and its controls, in tab order. Each
    // group box comes after what it holds: the controls above it in the
    // window order are not painted over. The chosen icon is the form's own
    // image, read by its group's caption.
    static constexpr FormRect kFormRect{319, 168, 249, 363};
    enum FontIndex : int { kButtons, kColours, kGrid };
    static constexpr FontSpec kFonts[] = {{L"ＭＳ Ｐゴシック", 12}, {L"ＭＳ ゴシック", 13}, {L"MS Sans Serif", 11}};
    static constexpr ControlRow kControls[] = {
        // Read by screen readers by what it lists, its items by their captions.
        {.place = {kIconGrid, 8, 8, 233, 218},
         .className = WC_LISTVIEWW,
         .style = kTabStop | LVS_ICON | LVS_SHAREIMAGELISTS | LVS_SINGLESEL | LVS_AUTOARRANGE | LVS_OWNERDATA,
         .exStyle = WS_EX_CLIENTEDGE,
         .font = kGrid,
         .name = L"アイコン一覧"},
        {{kOpenButton, 7, 233, 74, 33}, L"BUTTON", L"リストを開く", kTabStop | BS_PUSHBUTTON},
        {{kSaveButton, 87, 233, 74, 33}, L"BUTTON", L"アイコン保存", kTabStop | BS_PUSHBUTTON},
        {{kChosenIconImage, 15 + 19, 281 + 21, 36, 36}, nullptr, L"", 0, 0, kButtons, kChosenIconGroup},
        {{kChosenIconGroup, 15, 281, 73, 65}, L"BUTTON", L"選択中", kGroupBoxStyle},
        {{kColor16Radio, 123 + 16, 277 + 18, 81, 17, Grow::KeepLeft}, L"BUTTON", L"16色",
         kTabStop | WS_GROUP | BS_AUTORADIOBUTTON, 0, kColours},
        // Shown selected while the depth is still the icon's own.
        {{kColor256Radio, 123 + 16, 277 + 36, 81, 17, Grow::KeepLeft}, L"BUTTON", L"256色",
         WS_VISIBLE | BS_AUTORADIOBUTTON, 0, kColours, 0, nullptr, 0, true},
        {{kHighColorRadio, 123 + 16, 277 + 54, 89, 17, Grow::KeepLeft}, L"BUTTON", L"ハイカラー",
         WS_VISIBLE | BS_AUTORADIOBUTTON, 0, kColours},
        {{kDepthGroup, 123, 277, 113, 77}, L"BUTTON", L"色数選択", kGroupBoxStyle | WS_GROUP},
        {{kBackButton, 168, 232, 73, 33}, L"BUTTON", L"戻る", kTabStop | WS_GROUP | BS_PUSHBUTTON},
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

    // The icon's own until a depth is chosen.
    IconDepth ChosenDepth() const noexcept { return chosenDepth_; }
    IconDepth SavingDepth() const noexcept { return savingDepth_; }
    int IconCount() const noexcept { return iconCount_; }
    const std::wstring& OpenedFile() const noexcept { return openedFile_; }
    // The caption tells the mode: the icon, or else the hot icon.
    bool IconMode() const { return Caption() == kIconModeCaption; }

    // Lists every icon of the file in the grid.
    void ListIconsOfFile(const std::wstring& path);
    // Whether icons of the listing are still being made: the grid's cells
    // (and a click on one) show them once they are there.
    bool MakingIcons() const noexcept { return gridImages_.Making(); }
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
    void OnColor16Clicked() { ChooseDepth(kColor16Radio, IconDepth::Colors16); }
    void OnColor256Clicked() { ChooseDepth(kColor256Radio, IconDepth::Colors256); }
    void OnHighColorClicked() { ChooseDepth(kHighColorRadio, IconDepth::High); }
    // Only a button that becomes selected changes the depth.
    void ChooseDepth(int radio, IconDepth depth);

    void CreateControls();
    HWND MakeWindow(const ControlRow& row) override;
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
    // Icons made on the grid images' thread: their cells drawn again, and
    // the icon clicked while it was made shown.
    void IconsMade();

    Form* opener_ = nullptr;
    IconChosen chosen_;
    // The file the grid lists, checked once: its cells and the clicks on
    // them are made from it. It is held open only while icons are made.
    std::unique_ptr<ExecutableIcons> listed_;
    std::wstring listedFile_;
    GridImages gridImages_;
    unsigned listing_ = 0;  // counts listings: what is made ahead belongs to the last
    bool leavePosted_ = false;
    int awaitedClick_ = -1;  // the item clicked while its icon was being made
    std::unique_ptr<ImageBox> chosenIconImage_;
    int iconCount_ = 0;
    std::wstring openedFile_;
    std::wstring openedExtension_;
    IconDepth savingDepth_ = IconDepth::Own;
    IconDepth chosenDepth_ = IconDepth::Own;
    int selectedRadio_ = kColor256Radio;
    bool keyInGrid_ = false;  // while the grid handles a key
};

}  // namespace orbelune
