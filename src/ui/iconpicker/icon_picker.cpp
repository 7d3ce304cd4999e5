#include "ui/iconpicker/icon_picker.h"

#include "app/message_box.h"
#include "app/subwindow.h"
#include "icon/ico_writer.h"
#include "platform/byte_stream.h"
#include "platform/codepage.h"
#include "platform/executable_icons.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "ui/icon_maker.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace orbelune {

namespace {

constexpr COLORREF kBackground = RGB(191, 255, 113);

// Asks the window to make more of the grid's icons ahead (wParam: the
// listing they belong to); the timer does the same after input.
constexpr UINT kMakeAheadMessage = WM_APP + 25;
constexpr UINT_PTR kMakeAheadTimer = 25;
// Asks the window to let go of the listed file once what is being drawn is
// made: while the picker waits the file may be deleted or replaced.
constexpr UINT kLeaveFileMessage = WM_APP + 26;
// Icons made on the grid images' own thread are there (GridImages::TakeMade).
constexpr UINT kIconsMadeMessage = WM_APP + 27;

IconImage IconFromHandle(HICON handle) {
    IconImage icon;
    icon.SetHandle(handle);
    return icon;
}

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

IconPicker::~IconPicker() {
    // Nothing made any more is posted to the window.
    gridImages_.MakeSlowIconsFor(nullptr, 0);
    Destroy();
}

void IconPicker::CreateControls() {
    MakeControls();
    // The grid asks for each cell's caption and image when it draws it.
    HWND view = Control(kIconGrid);
    gridImages_.Reset(nullptr, 0, GridIconSize());
    gridImages_.MakeSlowIconsFor(Handle(), kIconsMadeMessage);
    ListView_SetImageList(view, gridImages_.List(), LVSIL_NORMAL);
    SetFirstFocus(view);
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

void IconPicker::RemakeGridImages() {
    gridImages_.Reset(listed_.get(), iconCount_, GridIconSize());
    HWND view = Control(kIconGrid);
    ListView_SetImageList(view, gridImages_.List(), LVSIL_NORMAL);  // the grid's cells follow the size
    ::InvalidateRect(view, nullptr, TRUE);
    ::PostMessageW(Handle(), kMakeAheadMessage, ++listing_, 0);
    // An icon clicked while it was being made is asked for again: what was
    // being made is dropped, and nothing else may be left to make.
    if (awaitedClick_ >= 0) IconsMade();
}

void IconPicker::OnDpiChanged() {
    // The grid's icons are made again at the new size from the file they
    // were listed from, and placed again.
    NoRedraw hold(Control(kIconGrid));
    RemakeGridImages();
    ListView_Arrange(Control(kIconGrid), LVA_DEFAULT);
}

void IconPicker::ClearIconGrid() {
    ListView_DeleteAllItems(Control(kIconGrid));
    ++listing_;
    awaitedClick_ = -1;
    gridImages_.Reset(nullptr, 0, GridIconSize());
    listed_.reset();
    listedFile_.clear();
}

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
    switch (message) {
    case kMakeAheadMessage:
        if (wParam == listing_) MakeAhead();
        return 0;
    case kLeaveFileMessage:
        leavePosted_ = false;
        if (listed_) listed_->LeaveFile();
        return 0;
    case kIconsMadeMessage:
        IconsMade();
        return 0;
    case WM_SETCURSOR:
        // Icons still being made: the window answers meanwhile.
        if (LOWORD(lParam) != HTCLIENT || !gridImages_.Making()) break;
        ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
    case WM_TIMER:
        if (wParam != kMakeAheadTimer) break;
        ::KillTimer(Handle(), kMakeAheadTimer);
        MakeAhead();
        return 0;
    case WM_DISPLAYCHANGE:
        // Decoded pixels are the platform's only at some display depths, and
        // its choice of image depends on the depth.
        if (listed_) listed_->ForgetChoices();
        RemakeGridImages();
        break;
    default:
        break;
    }
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kIconGrid &&
            (header->code == LVN_GETDISPINFOW || header->code == LVN_ODFINDITEMW))
            return OnGridNotify(*header);
        // Emptying the grid needs no word of each cell.
        if (header->idFrom == kIconGrid && header->code == LVN_DELETEALLITEMS) return TRUE;
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

LRESULT IconPicker::OnGridNotify(const NMHDR& header) {
    if (header.code == LVN_GETDISPINFOW) {
        LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
        // Each icon's caption is its index, counting from 0.
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            const std::wstring caption = std::to_wstring(item.iItem);
            const std::size_t length = std::min(caption.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
            std::copy_n(caption.c_str(), length + 1, item.pszText);  // with the terminating zero, or cut short
            item.pszText[length] = L'\0';
        }
        if (item.mask & LVIF_IMAGE) {
            item.iImage = gridImages_.ImageOf(item.iItem);
            LeaveFileSoon();
        }
        return 0;
    }
    // Typing finds the next icon whose caption starts with what was typed.
    const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
    const std::wstring wanted = find.lvfi.psz;
    const bool partial = (find.lvfi.flags & LVFI_PARTIAL) != 0;
    const int start = std::clamp(find.iStart, 0, std::max(iconCount_ - 1, 0));
    for (int k = 0; k < iconCount_; ++k) {
        if (start + k >= iconCount_ && !(find.lvfi.flags & LVFI_WRAP)) break;
        const int i = (start + k) % iconCount_;
        const std::wstring caption = std::to_wstring(i);
        if (partial ? caption.starts_with(wanted) : caption == wanted) return i;
    }
    return -1;
}

void IconPicker::LeaveFileSoon() {
    if (leavePosted_) return;
    leavePosted_ = ::PostMessageW(Handle(), kLeaveFileMessage, 0, 0) != FALSE;
}

void IconPicker::IconsMade() {
    HWND view = Control(kIconGrid);
    for (int item : gridImages_.TakeMade()) ListView_RedrawItems(view, item, item);
    // The icon last clicked, when it was still being made: shown now.
    if (awaitedClick_ < 0) return;
    bool later = false;
    const HICON icon = gridImages_.Icon(awaitedClick_, kIconSize, &later);
    if (later) return;
    const int item = std::exchange(awaitedClick_, -1);
    chosenIconImage_->SetPicture(IconFromHandle(icon), {openedFile_, item});
    LeaveFileSoon();
}

void IconPicker::MakeAhead() {
    // The first screen is drawn first; then the images the icons name are
    // judged, and icons made ahead, until input waits or a few milliseconds
    // have passed, and the rest after the input.
    ::UpdateWindow(Control(kIconGrid));
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
    const auto goOnLater = [&] {
        if (HIWORD(::GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) != 0)
            ::SetTimer(Handle(), kMakeAheadTimer, USER_TIMER_MINIMUM, nullptr);
        else if (std::chrono::steady_clock::now() >= until)
            ::PostMessageW(Handle(), kMakeAheadMessage, listing_, 0);
        else
            return false;
        return true;
    };
    for (ExecutableIcons::Judging judging; listed_ && (judging = listed_->JudgeNamedImages(32)) !=
                                                         ExecutableIcons::Judging::Done;) {
        if (judging == ExecutableIcons::Judging::Refused) {
            // A file the platform could only read outside of is not listed.
            const std::wstring path = listedFile_;
            ClearIconGrid();
            iconCount_ = 0;
            chosenIconImage_->ClearPicture();
            Fail(kDamagedProgram, path);
        }
        if (goOnLater()) return;
    }
    while (gridImages_.MakeNext())
        if (goOnLater()) return;
    if (listed_) listed_->LeaveFile();
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

}  // namespace

void IconPicker::HandToOpener(const std::wstring& path) {
    if (chosen_) chosen_(path);
}

void IconPicker::OnOpenClicked() {
    if (!ShowOpenDialog(Handle(), openDialog)) return;
    openedFile_ = openDialog.fileName;
    awaitedClick_ = -1;  // a click on the grid before is made from the file opened now
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

void IconPicker::ListIconsOfFile(const std::wstring& path) {
    if (!FileExists(path)) return;
    WaitCursor wait;

    // Every file is read through the checked readers; a damaged one never
    // reaches the platform. The count is known at once; each cell is made
    // when it is first drawn.
    auto icons = std::make_unique<ExecutableIcons>(path, NamedImages::Deferred);
    iconCount_ = icons->Count();
    chosenIconImage_->ClearPicture();
    HWND view = Control(kIconGrid);
    {
        // The grid places every cell once, and draws only when it is whole.
        NoRedraw hold(view);
        ClearIconGrid();
        if (icons->Refused()) Fail(kDamagedProgram, path);
        listed_ = std::move(icons);
        listedFile_ = path;
        RemakeGridImages();
        ListView_SetItemCountEx(view, iconCount_, LVSICF_NOSCROLL);
        ListView_Arrange(view, LVA_DEFAULT);
    }
    // From the first icon, none chosen: emptying the grid let go of the
    // chosen and the focused icon.
    if (iconCount_ > 0) ListView_EnsureVisible(view, 0, FALSE);
}

void IconPicker::OnIconGridClicked() {
    HWND view = Control(kIconGrid);
    const int selected = ListView_GetNextItem(view, -1, LVNI_SELECTED);
    if (selected < 0 || !FileExists(openedFile_)) return;
    awaitedClick_ = -1;

    openedExtension_ = ExtensionOf(openedFile_);
    // The file the grid lists gives the icon the platform's extraction gives
    // at that index, from what the listing holds, at the size it is saved
    // at whatever the display's scaling.
    if (listed_ && openedFile_ == listedFile_ && listed_->Unchanged()) {
        // An icon still being made is shown once it is there; nothing
        // chosen before stays meanwhile.
        bool later = false;
        const HICON icon = gridImages_.Icon(selected, kIconSize, &later);
        if (later) awaitedClick_ = selected;
        chosenIconImage_->SetPicture(IconFromHandle(icon), {openedFile_, selected});
        LeaveFileSoon();
        return;
    }
    // Another file opened since the listing, or the listed one changed.
    // An image slow to make is made while the windows keep answering;
    // stopped with Esc, nothing is chosen.
    if (openedExtension_ == L".ICO") {
        IconImage icon;
        icon.LoadFromFile(openedFile_);
        if (!MakeWhileAnswering(icon)) icon.Clear();
        chosenIconImage_->SetPicture(icon);
        return;
    }
    const ExecutableIcons icons(openedFile_);
    if (icons.Refused()) {
        chosenIconImage_->ClearPicture();
        Fail(kDamagedProgram, openedFile_);
    }
    const ImageBytes image = icons.ChosenImage(static_cast<std::size_t>(selected), kIconSize, kIconSize);
    bool stopped = false;
    const HICON icon = SlowToMake(image) ? MakeWhileAnswering(image, kIconSize, kIconSize, stopped)
                                         : icons.Make(selected, kIconSize);
    chosenIconImage_->SetPicture(IconFromHandle(icon), {openedFile_, selected});
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
