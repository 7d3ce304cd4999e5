#include "ui/main/main_window.h"

#include "links/link_sources.h"
#include "platform/files.h"
#include "store/button_entry.h"
#include "store/button_operations.h"
#include "ui/accessible_name.h"
#include "ui/main/button_set_menu.h"
#include "ui/icon_maker.h"

#include <shellapi.h>

namespace orbelune {

namespace {

constexpr COLORREF kBackground = RGB(191, 255, 113);
constexpr wchar_t kCaption[] = L"Orbelune  Ver 1.0";

}  // namespace

const Command MainWindow::kCommands[] = {
    {kIconPathField, EN_CHANGE, Calls<&MainWindow::OnIconPathChanged>},
    {kHotIconPathField, EN_CHANGE, Calls<&MainWindow::OnHotIconPathChanged>},
    {kSameAsIconCheck, BN_CLICKED, Calls<&MainWindow::OnSameAsIconClicked>},
    {kCreateButton, BN_CLICKED, Calls<&MainWindow::OnCreateClicked>},
    {kButtonNameList, LBN_SELCHANGE, Calls<&MainWindow::OnButtonListClicked>},
    {kEditButton, BN_CLICKED, Calls<&MainWindow::OnEditClicked>},
    {kDeleteButton, BN_CLICKED, Calls<&MainWindow::OnDeleteClicked>},
    {kLinkBrowseButton, BN_CLICKED, Calls<&MainWindow::OnLinkBrowseClicked>},
    {kIconBrowseButton, BN_CLICKED, Calls<&MainWindow::OnIconBrowseClicked>},
    {kHotIconBrowseButton, BN_CLICKED, Calls<&MainWindow::OnHotIconBrowseClicked>},
    {kQuitButton, BN_CLICKED, Calls<&MainWindow::OnQuitClicked>},
};

MainWindow::MainWindow(SubWindows subWindows) : Form(kBackground), subWindows_(std::move(subWindows)) {
    SetCommands(kCommands);
    SetControls(kControls, kFonts);
    // Other programs find this window by its class name: it stays "TForm1".
    CreateForm(L"TForm1", kCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0,
               kFormRect);
}

MainWindow::~MainWindow() {
    Destroy();
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        CreateControls();
        // The creation handler: a failure is shown now and start-up goes on
        // with what was loaded.
        RunHandler([&] { OnWindowCreated(); });
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
        if (subWindows_.minimize) subWindows_.minimize();
        return 0;
    }
    if (message == WM_CONTEXTMENU && reinterpret_cast<HWND>(wParam) == nameList_) {
        ShowButtonSetMenu(Handle(), nameList_, lParam);
        return 0;
    }
    if (message == WM_COMMAND && lParam == 0 && HIWORD(wParam) == 0 &&
        (LOWORD(wParam) == kExportMenuItem || LOWORD(wParam) == kImportMenuItem)) {
        RunHandler([&] { LOWORD(wParam) == kExportMenuItem ? ExportFromWindow(*this) : ImportIntoWindow(*this); });
        return 0;
    }
    if (message == WM_DROPFILES) {
        FormDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return Form::OnMessage(message, wParam, lParam);
}

void MainWindow::CreateControls() {
    MakeControls();
    ::ShowWindow(hotIconPanel_->Handle(), SW_HIDE);
    iconImage_->SetVisible(false);
    hotIconImage_->SetVisible(false);
    // Screen readers read the previews by their captions and the file they
    // show (the fields and the list by their rows' labels, the "参照"
    // buttons by their rows' names).
    for (Preview preview : {Preview::Icon, Preview::HotIcon}) {
        const auto shownFile = [this, preview] { return ShownFile(preview); };
        const wchar_t* caption = preview == Preview::Icon ? kIconPanelCaption : kHotIconPanelCaption;
        SetAccessibleName(PreviewPanel(preview).Handle(), caption, shownFile);
        SetAccessibleName(PreviewImage(preview).Handle(), caption, shownFile);
    }
    nameList_ = Control(kButtonNameList);
    numberList_ = Control(kButtonNumberList);
    WatchMenuKey(nameList_);
    WatchKeys(Control(kIconPathField));
    WatchKeys(Control(kHotIconPathField));
    iconPathSeen_.clear();
    hotIconPathSeen_ = kSameAsIcon;
    SetFirstFocus(Control(kCreateButton));
    // Files dropped anywhere on the window, its controls included, come
    // here; the drop point tells which field they are meant for. (The style
    // is what DragAcceptFiles sets, without loading the shell at start-up.)
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ::GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}

// The previews: a panel with its caption, and the image inside it.
HWND MainWindow::MakeWindow(const ControlRow& row) {
    const LayoutRect& r = row.place;
    if (r.id == kIconPanel || r.id == kHotIconPanel) {
        auto& panel = r.id == kIconPanel ? iconPanel_ : hotIconPanel_;
        panel = std::make_unique<Panel>(Handle(), r.id, row.text, r.x, r.y, r.width, r.height, kBackground,
                                        Font(row.font));
        Place(panel->Handle(), r.id);
        return panel->Handle();
    }
    const bool icon = r.id == kIconImage;
    auto& image = icon ? iconImage_ : hotIconImage_;
    image = std::make_unique<ImageBox>((icon ? iconPanel_ : hotIconPanel_)->Handle(), r.id, r.x, r.y, r.width,
                                       r.height, kBackground);
    Place(image->Handle(), r.id);
    return image->Handle();
}

void MainWindow::OnWindowCreated() { LoadCatalogue(*this); }
void MainWindow::OnCreateClicked() { CreateButton(*this); }
void MainWindow::OnButtonListClicked() { SelectButton(*this); }
void MainWindow::OnEditClicked() { EditButton(*this); }
void MainWindow::OnDeleteClicked() { DeleteButton(*this); }
void MainWindow::OnLinkBrowseClicked() { subWindows_.browseLink(); }

int MainWindow::FieldId(Field field) {
    // The entry field of each of a button's values, in ButtonField's order.
    static constexpr int kFieldControls[] = {kNameField, kLinkTargetField, kIconPathField, kHotIconPathField};
    return kFieldControls[static_cast<int>(field)];
}

int MainWindow::SelectedIndex() const {
    return static_cast<int>(::SendMessageW(Control(kButtonNameList), LB_GETCURSEL, 0, 0));
}
int MainWindow::ButtonNameCount() const {
    return static_cast<int>(::SendMessageW(Control(kButtonNameList), LB_GETCOUNT, 0, 0));
}
int MainWindow::ButtonNumberCount() const {
    return static_cast<int>(::SendMessageW(Control(kButtonNumberList), LB_GETCOUNT, 0, 0));
}
std::wstring MainWindow::ButtonNameAt(int index) const { return ListBoxItem(Control(kButtonNameList), index); }
std::wstring MainWindow::ButtonNumberAt(int index) const { return ListBoxItem(Control(kButtonNumberList), index); }
void MainWindow::RemoveButtonNameAt(int index) {
    ::SendMessageW(Control(kButtonNameList), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}
void MainWindow::RemoveButtonNumberAt(int index) {
    ::SendMessageW(Control(kButtonNumberList), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}
void MainWindow::ClearButtonLists() {
    ::SendMessageW(Control(kButtonNameList), LB_RESETCONTENT, 0, 0);
    ::SendMessageW(Control(kButtonNumberList), LB_RESETCONTENT, 0, 0);
}

void MainWindow::AppendButtonName(std::wstring_view name) {
    ::SendMessageW(nameList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(name).c_str()));
}

void MainWindow::AppendButtonNumber(std::wstring_view number) {
    ::SendMessageW(numberList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(number).c_str()));
}

// Without redrawing a list box repaints nothing and updates no scroll bar at
// each append, which is most of an append's cost, and the reserved storage
// saves growing the item table step by step.
void MainWindow::BeginAppendingButtons(std::size_t count, std::size_t nameChars) {
    for (HWND list : {nameList_, numberList_}) ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    // NOLINTBEGIN(bugprone-narrowing-conversions,cppcoreguidelines-narrowing-conversions): byte counts of a list's text, far below 2 GiB
    ::SendMessageW(nameList_, LB_INITSTORAGE, count, (nameChars + count) * sizeof(wchar_t));
    // Button numbers have at most ten digits.
    ::SendMessageW(numberList_, LB_INITSTORAGE, count, count * 11 * sizeof(wchar_t));
    // NOLINTEND(bugprone-narrowing-conversions,cppcoreguidelines-narrowing-conversions)
}

void MainWindow::EndAppendingButtons() noexcept {
    for (HWND list : {nameList_, numberList_}) {
        const bool shown = (::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE) != 0;
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        if (shown) {
            ::InvalidateRect(list, nullptr, TRUE);
        } else if (::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE) {
            // Where the message reaches DefWindowProc, turning redrawing
            // back on also shows the window: the number list stays hidden.
            ::ShowWindow(list, SW_HIDE);
        }
    }
}

bool MainWindow::HotIconSameAsIcon() const {
    return ::SendMessageW(Control(kSameAsIconCheck), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::ShowIconInPreview(Preview preview, const std::wstring& path) {
    IconImage icon;
    icon.LoadFromFile(path);
    // Made now, so that a file that is no drawable icon changes nothing;
    // an image slow to make while the windows keep answering. Stopped with
    // Esc, nothing is shown.
    if (!MakeWhileAnswering(icon)) {
        EmptyPreview(preview);
        return;
    }
    if (!icon.Handle()) throw Failure(L"アイコンイメージが不正です");
    ImageBox& image = PreviewImage(preview);
    image.SetPicture(icon);
    image.SetVisible(true);
    PreviewPanel(preview).SetCaption(L"");
}

std::wstring MainWindow::ShownFile(Preview preview) {
    const ImageBox& image = PreviewImage(preview);
    const std::wstring* file = image.Picture().SourceFile();
    return image.IsVisible() && file ? *file : std::wstring();
}

void MainWindow::EmptyPreview(Preview preview) {
    PreviewImage(preview).SetVisible(false);  // the picture itself stays
    PreviewPanel(preview).SetCaption(preview == Preview::Icon ? kIconPanelCaption : kHotIconPanelCaption);
}

void MainWindow::PathChange(int field, std::wstring& lastText, Preview preview) {
    std::wstring text = Text(field);
    if (text == lastText) return;  // setting the text it already has is no change
    lastText = std::move(text);
    if (!FileExists(lastText)) EmptyPreview(preview);
    // An existing file is not loaded while typing: the shown icon stays.
}

void MainWindow::PathKeyDown(int field, WPARAM key, Preview preview) {
    if (key != VK_RETURN) return;
    const std::wstring path = Text(field);
    if (FileExists(path)) ShowIconInPreview(preview, path);
}

void MainWindow::OnIconPathChanged() { PathChange(kIconPathField, iconPathSeen_, Preview::Icon); }
void MainWindow::OnIconPathKeyDown(WPARAM key) { PathKeyDown(kIconPathField, key, Preview::Icon); }
void MainWindow::OnHotIconPathChanged() { PathChange(kHotIconPathField, hotIconPathSeen_, Preview::HotIcon); }
void MainWindow::OnHotIconPathKeyDown(WPARAM key) { PathKeyDown(kHotIconPathField, key, Preview::HotIcon); }

void MainWindow::OnSameAsIconClicked() {
    if (HotIconSameAsIcon()) {
        ::EnableWindow(Control(kHotIconPathField), FALSE);
        SetText(kHotIconPathField, kSameAsIcon);
        ::EnableWindow(Control(kHotIconBrowseButton), FALSE);
        hotIconImage_->SetVisible(false);
        ::ShowWindow(hotIconPanel_->Handle(), SW_HIDE);
    } else {
        ::EnableWindow(Control(kHotIconPathField), TRUE);
        SetText(kHotIconPathField, L"");
        ::EnableWindow(Control(kHotIconBrowseButton), TRUE);
        ::ShowWindow(hotIconPanel_->Handle(), SW_SHOW);
    }
}

void MainWindow::OnIconBrowseClicked() { subWindows_.browseIcon(Preview::Icon); }
void MainWindow::OnHotIconBrowseClicked() { subWindows_.browseIcon(Preview::HotIcon); }

void MainWindow::TakeLinkTarget(const std::wstring& link, const std::wstring& name) {
    SetText(kLinkTargetField, link);
    if (Text(kNameField).empty()) SetText(kNameField, name);
}

void MainWindow::TakeIconFile(Preview preview, const std::wstring& path) {
    const int field = preview == Preview::Icon ? kIconPathField : kHotIconPathField;
    if (preview == Preview::HotIcon && !::IsWindowEnabled(Control(field))) return;
    SetText(field, path);
    ShowIconInPreview(preview, path);
}

void MainWindow::OnQuitClicked() { ::SendMessageW(Handle(), WM_CLOSE, 0, 0); }

void MainWindow::FormDropFiles(HDROP drop) {
    struct Finish {
        HDROP drop;
        // The shell's drop functions load at their first call, which may
        // fail; then there is nothing to release the drop with either.
        ~Finish() {
            try {
                ::DragFinish(drop);
            } catch (...) {
            }
        }
    } finish{drop};
    // Not while a sub-window (or a box) holds the main window disabled.
    if (!IsEnabled() || (subWindows_.anyShown && subWindows_.anyShown())) return;
    // Of several files, the first.
    const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    path.resize(::DragQueryFileW(drop, 0, path.data(), length + 1));
    if (path.empty()) return;

    POINT at{};
    if (!::DragQueryPoint(drop, &at)) return;  // dropped on the frame
    HWND target = ::ChildWindowFromPointEx(Handle(), at, CWP_SKIPINVISIBLE);
    if (!target || target == Handle()) return;
    switch (::GetDlgCtrlID(target)) {
    case kNameField:
    case kLinkTargetField:
        DropLinkTarget(path);
        break;
    case kIconPathField:
    case kIconPanel:
        DropIconFile(kIconPathField, Preview::Icon, path);
        break;
    case kHotIconPathField:
    case kHotIconPanel:
        if (::IsWindowEnabled(Control(kHotIconPathField))) DropIconFile(kHotIconPathField, Preview::HotIcon, path);
        break;
    default:
        break;
    }
}

void MainWindow::DropLinkTarget(const std::wstring& path) {
    const Link link = LinkFromFile(path);
    TakeLinkTarget(link.target, link.name);
}

void MainWindow::DropIconFile(int field, Preview preview, const std::wstring& path) {
    // As a path typed into the field and Enter: a folder is no icon file.
    if (!FileExists(path)) return;
    SetText(field, path);
    PathKeyDown(field, VK_RETURN, preview);
}

void MainWindow::OnClose() {
    // Closing the main window ends the program, without a question.
    Hide();
    ::PostQuitMessage(0);
}

void MainWindow::OnControlKeyDown(HWND control, WPARAM key) {
    if (control == Control(kIconPathField)) OnIconPathKeyDown(key);
    else if (control == Control(kHotIconPathField)) OnHotIconPathKeyDown(key);
}

}  // namespace orbelune
