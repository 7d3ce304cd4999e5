#include "ui/iconpicker/icon_picker.h"

#include "app/message_box.h"
#include "app/subwindow.h"
#include "icon/ico_writer.h"
#include "platform/byte_stream.h"
#include "platform/codepage.h"
#include "platform/executable_icons.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/icon_strip.h"
#include "ui/accessible_name.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace orbelune {

namespace {

constexpr COLORREF kBackground = RGB(191, 255, 113);

IconImage IconFromHandle(HICON handle) {
    IconImage icon;
    icon.SetHandle(handle);
    return icon;
}

// A program or library whose structure the icon reader refuses.
constexpr wchar_t kDamagedProgram[] = L"ファイル %s は壊れているため、アイコンを一覧にできません";

constexpr wchar_t kDialogFilter[] =
    L"アイコンファイル（*.ico）|*.ico|実行ファイル（*.exe）|*.exe|ダイナミックリンクライブラリ（*.dll）|*.dll|"
    L"すべてのファイル（*.*）|*.*";

}  // namespace

// A click in the grid is in the table; a selection moved with the keyboard
// is seen in OnMessage.
const Command IconPicker::kCommands[] = {
    {kOpenButton, BN_CLICKED, Calls<&IconPicker::OnOpenClicked>},
    {kBackButton, BN_CLICKED, Calls<&IconPicker::OnBackClicked>},
    {kSaveButton, BN_CLICKED, Calls<&IconPicker::OnSaveClicked>},
    {kColor16Radio, BN_CLICKED, Calls<&IconPicker::OnColor16Clicked>},
    {kColor256Radio, BN_CLICKED, Calls<&IconPicker::OnColor256Clicked>},
    {kHighColorRadio, BN_CLICKED, Calls<&IconPicker::OnHighColorClicked>},
    {kIconGrid, NM_CLICK, Calls<&IconPicker::OnIconGridClicked>},
};

IconPicker::IconPicker() : Form(kBackground) {
    SetCommands(kCommands);
    for (FileDialogState* dialog : {&openDialog, &saveDialog}) dialog->filter = kDialogFilter;
    openDialog.initialFolder = L"\\icon";
    // Other programs find this window by its class name: it stays "TForm3".
    SetControls(kControls, kFonts);
    CreateForm(L"TForm3", L"アイコン登録", WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, kFormRect);
    CreateControls();
}

IconPicker::~IconPicker() { Destroy(); }

void IconPicker::CreateControls() {
    iconList_ = NewGridImages(16);
    MakeControls();
    HWND view = Control(kIconGrid);
    ListView_SetImageList(view, iconList_.Get(), LVSIL_NORMAL);
    SetFirstFocus(view);
    // Screen readers read the grid by what it lists, its items by their
    // captions.
    SetAccessibleName(view, L"アイコン一覧");
    ::SetWindowSubclass(view, GridKeys, 1, reinterpret_cast<DWORD_PTR>(this));
}

// The chosen icon's image.
HWND IconPicker::MakeWindow(const ControlRow& row) {
    const LayoutRect& r = row.place;
    chosenIconImage_ = std::make_unique<ImageBox>(Handle(), r.id, r.x, r.y, r.width, r.height, kBackground);
    Place(chosenIconImage_->Handle(), r.id);
    return chosenIconImage_->Handle();
}

LRESULT CALLBACK IconPicker::GridKeys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
    if (message == WM_KEYDOWN || message == WM_CHAR) {
        // What the grid reports while it handles the key comes from the keyboard.
        auto* picker = reinterpret_cast<IconPicker*>(data);
        const bool outer = picker->keyInGrid_;
        picker->keyInGrid_ = true;
        const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
        picker->keyInGrid_ = outer;
        return result;
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, GridKeys, 1);
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

int IconPicker::GridIconSize() const { return Scale(kIconSize, Dpi()); }

UniqueImageList IconPicker::NewGridImages(int capacity) const {
    return UniqueImageList(
        ::ImageList_Create(GridIconSize(), GridIconSize(), ILC_COLOR32 | ILC_MASK, capacity, 16));
}

void IconPicker::OnDpiChanged() {
    // The grid's icons are made again at the new size from the file they
    // were listed from.
    const int count = ::ImageList_GetImageCount(iconList_.Get());
    UniqueImageList list = NewGridImages(std::max(count, 1));
    // A file that cannot be read again, or no longer passes the checks,
    // keeps its images brought to the new size.
    std::optional<ExecutableIcons> icons;
    if (count > 0 && FileExists(listedFile_)) {
        try {
            icons.emplace(listedFile_);
            if (icons->Refused()) icons.reset();
        } catch (const Failure&) {
            icons.reset();
        }
    }
    for (int i = 0; i < count; ++i) {
        UniqueIcon icon(icons ? icons->Make(i, GridIconSize()) : nullptr);
        if (!icon) icon.Reset(::ImageList_GetIcon(iconList_.Get(), i, ILD_NORMAL));
        ::ImageList_AddIcon(list.Get(), icon.Get());
    }
    ListView_SetImageList(Control(kIconGrid), list.Get(), LVSIL_NORMAL);
    iconList_ = std::move(list);
    ListView_Arrange(Control(kIconGrid), LVA_DEFAULT);
}

void IconPicker::ClearIconGrid() { ListView_DeleteAllItems(Control(kIconGrid)); }

int IconPicker::IconGridCount() const { return ListView_GetItemCount(Control(kIconGrid)); }

void IconPicker::Open(Form& opener, const wchar_t* caption, const std::wstring& iconFolder, IconChosen chosen) {
    opener_ = &opener;
    chosen_ = std::move(chosen);
    opener.Enable(false);
    SetCaption(caption);
    Show();
    openDialog.initialFolder = iconFolder;
    saveDialog.initialFolder = iconFolder;
    ClearIconGrid();
    chosenIconImage_->ClearPicture();
}

void IconPicker::OnBackClicked() { LeaveSubWindow(*this, opener_); }

LRESULT IconPicker::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        // The selection moved to another icon with the keyboard: chosen as
        // by a click.
        if (header->idFrom == kIconGrid && header->code == LVN_ITEMCHANGED && keyInGrid_) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED))
                OnIconGridClicked();
            return 0;
        }
    }
    return Form::OnMessage(message, wParam, lParam);
}

namespace {

// The last four bytes of the name as stored on disk (code page 932), the
// whole name when it is shorter, with a to z made capitals.
std::string NameTail(const std::wstring& name) {
    std::string bytes = ToCp932(name);
    if (bytes.size() > 4) bytes.erase(0, bytes.size() - 4);
    for (char& c : bytes)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return bytes;
}

// From the last dot after the last "\" or ":", in capitals; empty when the
// name has none.
std::wstring ExtensionOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\:");
    const auto dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return {};
    std::wstring extension = path.substr(dot);
    for (wchar_t& c : extension)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return extension;
}

// The wait cursor while it lives; the cursor before it afterwards.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// Repainting of a window held back while it lives.
class NoRedraw {
public:
    explicit NoRedraw(HWND hwnd) : hwnd_(hwnd) { ::SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0); }
    ~NoRedraw() {
        ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    }
    NoRedraw(const NoRedraw&) = delete;
    NoRedraw& operator=(const NoRedraw&) = delete;

private:
    HWND hwnd_;
};

}  // namespace

void IconPicker::HandToOpener(const std::wstring& path) {
    if (chosen_) chosen_(path);
}

void IconPicker::OnOpenClicked() {
    if (!ShowOpenDialog(Handle(), openDialog)) return;
    openedFile_ = openDialog.fileName;
    const std::string tail = NameTail(openedFile_);

    if (openDialog.filterIndex == 2 || openDialog.filterIndex == 3 || tail == ".EXE" || tail == ".DLL") {
        ListIconsOfFile(openedFile_);
        return;
    }
    if (tail == ".ICO") {
        HandToOpener(openedFile_);
        LeaveSubWindow(*this, opener_);
        return;
    }
    // Any other file: the icon the shell shows for it, at the size it is
    // saved at.
    chosenIconImage_->SetPicture(IconFromHandle(AssociatedIconAtSize(openedFile_, kIconSize)),
                        {openedFile_, ImageBox::kAssociated});
}

int IconPicker::AddListedIcon(IconStrip& images, ImageBytes chosen) const {
    // Where the platform makes no icon the cell stays blank: one image less
    // never costs the icons after it.
    const UniqueIcon icon(ExecutableIcons::Make(chosen, GridIconSize(), GridIconSize()));
    const int added = icon ? images.Add(icon.Get()) : -1;
    return added >= 0 ? added : images.AddBlank();
}

void IconPicker::ListIconsOfFile(const std::wstring& path) {
    if (!FileExists(path)) return;
    WaitCursor wait;

    // Every file is read through the checked readers; a damaged one never
    // reaches the platform.
    const ExecutableIcons icons(path);
    iconCount_ = icons.Count();
    // A new, empty list of the grid's icon size with room for every icon: it
    // never grows (and copies itself) during the listing.
    UniqueImageList list = NewGridImages(std::max(iconCount_, 1));
    listedFile_ = path;
    chosenIconImage_->ClearPicture();

    HWND view = Control(kIconGrid);
    {
        NoRedraw hold(view);
        ListView_DeleteAllItems(view);
        ListView_SetImageList(view, list.Get(), LVSIL_NORMAL);
        iconList_ = std::move(list);  // the old list goes once the grid no longer shows it
        if (icons.Refused()) Fail(kDamagedProgram, path);
        ListView_SetItemCount(view, std::max(iconCount_, 0));
        IconStrip images(iconList_.Get());  // the list gets its images in strips
        // A plain image of the grid's size goes into the strip straight from
        // its bytes, with the pixels the platform's icon of it would give;
        // any other is made into an icon first.
        const bool decode = GridIconSize() == IconStrip::kSide;
        std::vector<std::uint32_t> colour(decode ? IconStrip::kSide * IconStrip::kSide : 0);
        std::vector<std::uint8_t> mask(decode ? IconStrip::kSide * IconStrip::kSide / 8 : 0);
        for (int i = 0; i < iconCount_; ++i) {
            // The image is chosen once, whether it is decoded or made.
            const ImageBytes chosen = icons.ChosenImage(static_cast<std::size_t>(i), GridIconSize(), GridIconSize());
            int image = -1;
            if (decode && ExecutableIcons::Pixels(chosen, IconStrip::kSide, colour.data(), mask.data()))
                image = images.AddPixels(colour.data(), mask.data());
            if (image < 0) image = AddListedIcon(images, chosen);
            std::wstring caption = std::to_wstring(i);
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = i;
            item.pszText = caption.data();
            item.iImage = image;
            ListView_InsertItem(view, &item);
        }  // the list keeps its own copy of each image
    }
    ListView_SetItemState(view, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

void IconPicker::OnIconGridClicked() {
    HWND view = Control(kIconGrid);
    const int selected = ListView_GetNextItem(view, -1, LVNI_SELECTED);
    if (selected < 0 || !FileExists(openedFile_)) return;

    openedExtension_ = ExtensionOf(openedFile_);
    if (openedExtension_ == L".ICO") {
        IconImage icon;
        icon.LoadFromFile(openedFile_);
        chosenIconImage_->SetPicture(icon);
        return;
    }
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = selected;
    ListView_GetItem(view, &item);
    const ExecutableIcons icons(openedFile_);
    if (icons.Refused()) {
        chosenIconImage_->ClearPicture();
        Fail(kDamagedProgram, openedFile_);
    }
    // At the size it is saved at, whatever the display's scaling.
    chosenIconImage_->SetPicture(
        IconFromHandle(item.iImage < 0 ? nullptr : icons.Make(item.iImage, kIconSize)),
        {openedFile_, item.iImage});
}

void IconPicker::OnSaveClicked() {
    if (chosenIconImage_->Picture().Empty()) {
        ShowInformation(L"アイコンが選択されていません");
        return;
    }
    savingDepth_ = chosenDepth_;
    SaveChosenIcon();
    LeaveSubWindow(*this, opener_);
}

void IconPicker::SaveChosenIcon() {
    const IconImage icon = chosenIconImage_->Picture();
    if (!ShowSaveDialog(Handle(), saveDialog)) return;
    // From the next showing on.
    saveDialog.title = L"アイコンの保存";
    saveDialog.filter = L"アイコン (*.ico)|*.ico";
    saveDialog.defaultExtension = L"ico";

    const std::wstring path = saveDialog.fileName;
    if (path.empty()) return;

    // The file is written beside its place and put there only when whole:
    // a failed save leaves an existing file, the main window's field and
    // its preview as they were. The writer reports its own failures.
    {
        ReplacingFileStream file(path);
        if (!SaveToStream(file, icon.Handle(), savingDepth_, BoxPrompts())) return;
        file.Commit();
    }
    // The opener takes the name, and shows the icon as read back from the
    // file.
    HandToOpener(path);
}

void IconPicker::ChooseDepth(int radio, IconDepth depth) {
    if (radio == selectedRadio_) return;
    selectedRadio_ = radio;
    chosenDepth_ = depth;
}

}  // namespace orbelune
