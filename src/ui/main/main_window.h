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

    static constexpr wchar_t kIconPanelCaption[] = L"アイコン";
    static constexpr wchar_t kHotIconPanelCaption[] = L"ホットアイコン";

    // The form at 96 dpi, its fonts and its controls, made in tab order (the
    // order of the child windows is the tab order). Each label (no tab stop)
    // comes right before what it names, where screen readers look for it;
    // the fields and the list are read by their labels (and described by
    // the labels' tooltips), the "参照" buttons by the window each opens.
    // The previews' panels
    // and images are the form's own windows, the images within the panels.
    static constexpr FormRect kFormRect{CW_USEDEFAULT, CW_USEDEFAULT, 571, 544};
    enum FontIndex : int { kPlain, kBold };
    static constexpr FontSpec kFonts[] = {{L"ＭＳ Ｐゴシック", 12}, {L"ＭＳ Ｐゴシック", 12, true}};
    static constexpr DWORD kButtonStyle = kTabStop | BS_PUSHBUTTON;
    static constexpr DWORD kFieldStyle = kTabStop | ES_AUTOHSCROLL;
    static constexpr ControlRow kControls[] = {
        {{kCreateButton, 40, 504, 97, 25}, L"BUTTON", L"作成", kButtonStyle},
        {{kButtonListLabel, 112, 16, 59, 12, Grow::KeepLeft}, L"STATIC", L"ボタン一覧", kLabelStyle, 0, kBold},
        {{kButtonNameList, 112, 40, 393, 313}, L"LISTBOX", L"", kTabStop | kListStyle, WS_EX_CLIENTEDGE, kPlain,
         kButtonListLabel, nullptr, 12},
        {{kEditButton, 184, 504, 97, 25}, L"BUTTON", L"編集", kButtonStyle},
        {{kDeleteButton, 328, 504, 97, 25}, L"BUTTON", L"削除", kButtonStyle},
        {{kNameLabel, 62, 378, 42, 12, Grow::KeepRight}, L"STATIC", L"名前　：", kLabelStyle, 0, kBold},
        {{kNameField, 112, 376, 393, 20}, L"EDIT", L"", kFieldStyle, WS_EX_CLIENTEDGE, kPlain, kNameLabel},
        {{kLinkTargetLabel, 43, 404, 61, 12, Grow::KeepRight}, L"STATIC", L"リンク先　：", kLabelStyle, 0, kBold},
        {{kLinkTargetField, 112, 400, 393, 20}, L"EDIT", L"", kFieldStyle, WS_EX_CLIENTEDGE, kPlain,
         kLinkTargetLabel},
        {{kIconLabel, 43, 429, 61, 12, Grow::KeepRight}, L"STATIC", L"アイコン　：", kLabelStyle | SS_NOTIFY, 0,
         kBold, 0, L"通常表示されるアイコン"},
        {{kIconPathField, 112, 424, 393, 20}, L"EDIT", L"", kFieldStyle, WS_EX_CLIENTEDGE, kPlain, kIconLabel},
        {{kHotIconLabel, 12, 452, 92, 12, Grow::KeepRight}, L"STATIC", L"ホットアイコン　：", kLabelStyle | SS_NOTIFY,
         0, kBold, 0, L"カーソルを重ねたときのアイコン"},
        {{kHotIconPathField, 112, 448, 393, 20}, L"EDIT", kSameAsIcon, kFieldStyle | WS_DISABLED, WS_EX_CLIENTEDGE,
         kPlain, kHotIconLabel},
        {.place = {kLinkBrowseButton, 512, 400, 41, 17}, .className = L"BUTTON", .text = L"参照", .style = kButtonStyle,
         .name = L"リンク先参照"},
        {.place = {kIconBrowseButton, 512, 424, 41, 17}, .className = L"BUTTON", .text = L"参照", .style = kButtonStyle,
         .name = L"アイコン参照"},
        {.place = {kHotIconBrowseButton, 512, 448, 41, 17}, .className = L"BUTTON", .text = L"参照",
         .style = kButtonStyle | WS_DISABLED, .name = L"ホットアイコン参照"},
        {{kQuitButton, 504, 504, 49, 25}, L"BUTTON", L"終了", kButtonStyle},
        // Hidden: the button numbers, index for index with the names.
        {{kButtonNumberList, 24, 8, 57, 73}, L"LISTBOX", L"", WS_TABSTOP | kListStyle, WS_EX_CLIENTEDGE, kPlain, 0,
         nullptr, 12},
        {{kIconPanel, 16, 136, 81, 81}, nullptr, kIconPanelCaption, 0, 0, kBold},
        {{kHotIconPanel, 16, 232, 81, 81}, nullptr, kHotIconPanelCaption, 0, 0, kBold},
        {{kIconImage, 20, 21, 36, 36}, nullptr},
        {{kHotIconImage, 20, 21, 36, 36}, nullptr},
        {{kSameAsIconCheck, 112, 472, 161, 17, Grow::KeepLeft}, L"BUTTON", L"ホットアイコンを指定しない",
         kTabStop | BS_AUTOCHECKBOX, 0, kPlain, 0, nullptr, 0, true},
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
    HWND MakeWindow(const ControlRow& row) override;
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
