// The icon picker: lists the icons of a file, shows the chosen one, and
// saves it as an .ico file for the main window's icon or hot-icon field.
// Its caption tells which of the two it serves.
#pragma once

#include "platform/handle.h"
#include "ui/form.h"
#include "ui/image_box.h"

#include <memory>
#include <string>

namespace orbelune {

// What a file dialog keeps from one showing to the next.
struct FileDialogState {
    std::wstring initialFolder;
    std::wstring filter;  // "description|pattern|..." pairs
    int filterIndex = 1;
    std::wstring fileName;
    std::wstring title;
    std::wstring defaultExtension;
};

class TForm3 final : public Form {
public:
    static constexpr wchar_t kIconModeCaption[] = L"アイコン参照";
    static constexpr wchar_t kHotIconModeCaption[] = L"ホットアイコン参照";

    enum Id : int {
        IconView = 301, Button1, Button3, GroupBox1, Image1Id, GBoxIcon, RBtn16Color, RBtn256Color, RBtnHiColor,
        Button2,
    };

    TForm3();
    ~TForm3() override;

    HWND Control(int id) const { return ::GetDlgItem(Handle(), id); }
    ImageBox& Image1() { return *image1_; }
    void ClearIconView();
    int IconViewCount() const;

    FileDialogState OpenDialog1;
    FileDialogState SaveDialog1;

    // Depth codes: 0 (the icon's own), 16, 256, 65536.
    int ChosenDepth() const noexcept { return chosenDepth_; }

    // Handlers.
    void Button2Click();
    void RBtn16ColorClick() { chosenDepth_ = 16; }
    void RBtn256ColorClick() { chosenDepth_ = 256; }
    void RBtnHiColorClick() { chosenDepth_ = 65536; }

protected:
    void OnCommand(int id, int code, HWND control) override;

private:
    void CreateControls();

    UniqueFont font_;         // buttons and group boxes
    UniqueFont radioFont_;    // the colour buttons
    UniqueFont defaultFont_;  // everything else
    UniqueImageList iconList_;
    std::unique_ptr<ImageBox> image1_;
    int chosenDepth_ = 0;
    int selectedRadio_ = RBtn256Color;
};

}  // namespace orbelune
