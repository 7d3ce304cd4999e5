// The main window: the list of toolbar buttons, the four entry fields of one
// button, the icon and hot-icon previews, and the buttons that create, edit
// and delete a button or open the two sub-windows.
#pragma once

#include "app/message_box.h"
#include "store/button_form.h"
#include "ui/form.h"
#include "ui/image_box.h"
#include "ui/panel.h"

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

namespace orbelune {

class MainWindow final : public Form, public ButtonForm {
public:
    // Control identifiers; also the names the tests reach the controls by.
    enum Id : int {
        kCreateButton = 101,
        kButtonNameList,
        kEditButton,
        kDeleteButton,
        kNameField,
        kLinkTargetField,
        kIconPathField,
        kHotIconPathField,
        kLinkBrowseButton,
        kIconBrowseButton,
        kHotIconBrowseButton,
        kQuitButton,
        kButtonNumberList,
        kIconPanel,
        kHotIconPanel,
        kSameAsIconCheck,
        kIconImage,
        kHotIconImage,
        kNameLabel,
        kLinkTargetLabel,
        kIconLabel,
        kHotIconLabel,
        kButtonListLabel,
    };

    using Preview = ButtonForm::PreviewKind;

    // The form and its controls at 96 dpi; the previews' images within
    // their panels.
    static constexpr FormRect kFormRect{CW_USEDEFAULT, CW_USEDEFAULT, 571, 544};
    static constexpr LayoutRect kLayout[] = {
        {kCreateButton, 40, 504, 97, 25},
        {kButtonListLabel, 112, 16, 59, 12, Grow::KeepLeft},
        {kButtonNameList, 112, 40, 393, 313},
        {kEditButton, 184, 504, 97, 25},
        {kDeleteButton, 328, 504, 97, 25},
        {kNameLabel, 62, 378, 42, 12, Grow::KeepRight},
        {kNameField, 112, 376, 393, 20},
        {kLinkTargetLabel, 43, 404, 61, 12, Grow::KeepRight},
        {kLinkTargetField, 112, 400, 393, 20},
        {kIconLabel, 43, 429, 61, 12, Grow::KeepRight},
        {kIconPathField, 112, 424, 393, 20},
        {kHotIconLabel, 12, 452, 92, 12, Grow::KeepRight},
        {kHotIconPathField, 112, 448, 393, 20},
        {kLinkBrowseButton, 512, 400, 41, 17},
        {kIconBrowseButton, 512, 424, 41, 17},
        {kHotIconBrowseButton, 512, 448, 41, 17},
        {kQuitButton, 504, 504, 49, 25},
        {kButtonNumberList, 24, 8, 57, 73},
        {kIconPanel, 16, 136, 81, 81},
        {kHotIconPanel, 16, 232, 81, 81},
        {kIconImage, 20, 21, 36, 36},
        {kHotIconImage, 20, 21, 36, 36},
        {kSameAsIconCheck, 112, 472, 161, 17, Grow::KeepLeft},
    };

    // The sub-windows the "参照" buttons open, and the program's minimising,
    // wired by application.cpp.
    struct SubWindows {
        std::function<void()> browseLink;         // the link-target browser
        std::function<void(Preview)> browseIcon;  // the icon picker, for the icon or the hot icon
        std::function<bool()> anyShown;           // whether one of them is shown
        std::function<void()> minimize;           // every form into the task-bar entry
    };

    explicit MainWindow(SubWindows subWindows);
    ~MainWindow() override;

    std::wstring Text(int id) const { return WindowText(Control(id)); }
    // Sets a field's text; a real change runs the field's change rule.
    void SetText(int id, std::wstring_view text) { SetWindowTextIfChanged(Control(id), text); }
    bool HotIconSameAsIcon() const override;

    // CatalogueWindow: the lists and the icon folder filled by the load.
    void AppendButtonName(std::wstring_view name) override;
    void AppendButtonNumber(std::wstring_view number) override;
    void BeginAppendingButtons(std::size_t count, std::size_t nameChars) override;
    void EndAppendingButtons() noexcept override;
    void SetIconFolder(std::wstring_view folder) override { iconFolder_ = folder; }
    const std::wstring& IconFolder() const noexcept { return iconFolder_; }

    // ButtonForm: what the catalogue operations read and change.
    std::wstring FieldText(Field field) const override { return Text(FieldId(field)); }
    void SetFieldText(Field field, std::wstring_view text) override { SetText(FieldId(field), text); }
    int SelectedIndex() const override;
    int ButtonNameCount() const override;
    int ButtonNumberCount() const override;
    std::wstring ButtonNameAt(int index) const override;
    std::wstring ButtonNumberAt(int index) const override;
    void RemoveButtonNameAt(int index) override;
    void RemoveButtonNumberAt(int index) override;
    void ClearButtonLists() override;
    std::wstring CurrentButtonNumber() const override { return currentButtonNumber_; }
    void SetCurrentButtonNumber(std::wstring_view number) override { currentButtonNumber_ = number; }
    // Prompts: the program's boxes.
    void Inform(std::wstring_view text) override { ShowInformation(text); }
    BoxResult Confirm(std::wstring_view text) override { return ShowConfirmation(text); }
    void Error(std::wstring_view text) override { ShowError(text); }

    // The two preview operations.
    void ShowIconInPreview(Preview preview, const std::wstring& path) override;
    void EmptyPreview(Preview preview);
    // The icon file a preview shows; empty while it shows none.
    std::wstring ShownFile(Preview preview);
    Panel& PreviewPanel(Preview preview) { return preview == Preview::Icon ? *iconPanel_ : *hotIconPanel_; }
    ImageBox& PreviewImage(Preview preview) { return preview == Preview::Icon ? *iconImage_ : *hotIconImage_; }

    // What the sub-windows hand back. A link target, and a name that fills
    // the name field only while it is empty.
    void TakeLinkTarget(const std::wstring& link, const std::wstring& name);
    // An icon file into the field and preview of `preview`; the hot icon
    // only while its field is enabled.
    void TakeIconFile(Preview preview, const std::wstring& path);


protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnControlKeyDown(HWND control, WPARAM key) override;
    void OnClose() override;

private:
    // Handlers, reached through kCommands and OnMessage.
    static const Command kCommands[];
    void OnWindowCreated();
    void OnCreateClicked();
    void OnButtonListClicked();
    void OnEditClicked();
    void OnDeleteClicked();
    void OnLinkBrowseClicked();
    void OnIconPathChanged();
    void OnIconPathKeyDown(WPARAM key);
    void OnHotIconPathChanged();
    void OnHotIconPathKeyDown(WPARAM key);
    void OnSameAsIconClicked();
    void OnIconBrowseClicked();
    void OnHotIconBrowseClicked();
    void OnQuitClicked();
    // Files dropped from Explorer onto a field or a preview.
    void FormDropFiles(HDROP drop);

    void CreateControls();
    static int FieldId(Field field);
    // The change rule of a path field and its preview.
    void PathChange(int field, std::wstring& lastText, Preview preview);
    void PathKeyDown(int field, WPARAM key, Preview preview);
    void DropLinkTarget(const std::wstring& path);
    void DropIconFile(int field, Preview preview, const std::wstring& path);

    SubWindows subWindows_;
    // kButtonNameList and kButtonNumberList, looked up once: appending runs once per button.
    HWND nameList_ = nullptr;
    HWND numberList_ = nullptr;
    std::unique_ptr<Panel> iconPanel_;
    std::unique_ptr<Panel> hotIconPanel_;
    std::unique_ptr<ImageBox> iconImage_;
    std::unique_ptr<ImageBox> hotIconImage_;
    std::wstring iconFolder_;
    std::wstring currentButtonNumber_;
    // The texts the change rules last saw: setting the same text is no change.
    std::wstring iconPathSeen_;
    std::wstring hotIconPathSeen_;
};

}  // namespace orbelune
