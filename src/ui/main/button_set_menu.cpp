#include "ui/main/button_set_menu.h"

#include "app/file_dialog.h"
#include "platform/failure.h"
#include "platform/handle.h"
#include "store/button_set.h"
#include "store/catalogue_load.h"
#include "ui/main/main_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace orbelune {

namespace {

constexpr wchar_t kFilter[] = L"ボタン一覧 (*.ins)|*.ins|すべてのファイル (*.*)|*.*";

// The folder and name the dialogs showed last, for the next time.
FileDialogState& DialogState() {
    static FileDialogState state{L"", kFilter, 1, L"", L"", L"ins"};
    return state;
}

// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): final, and the base's destructor is protected
class WindowImportChoices final : public ImportChoices {
public:
    explicit WindowImportChoices(MainWindow& window) : window_(window) {}
    Existing ForExistingNames(std::size_t count) override {
        switch (window_.Confirm(L"同じ名前のボタンが " + std::to_wstring(count) +
                                L" 個あります。置き換えますか？\r\n「いいえ」でそのボタンを読み込まずにスキップします。")) {
        case BoxResult::Yes: return Existing::Replace;
        case BoxResult::No: return Existing::Skip;
        default: return Existing::Stop;
        }
    }
    bool DeleteButtonsPresent(std::size_t count) override {
        return window_.Confirm(L"このファイルは、今あるボタン（" + std::to_wstring(count) +
                               L" 個）をすべて削除してから読み込むよう指定しています。削除しますか？\r\n"
                               L"「いいえ」で今あるボタンを残します。") == BoxResult::Yes;
    }

private:
    MainWindow& window_;
};

LRESULT CALLBACK MenuKey(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_KEYUP && wParam == VK_APPS) {
        ::SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), -1);
        return 0;
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, MenuKey, 1);
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void WatchMenuKey(HWND list) { ::SetWindowSubclass(list, MenuKey, 1, 0); }

void ShowButtonSetMenu(HWND owner, HWND list, LPARAM where) {
    POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    if (where == -1) {
        RECT item{};
        const auto selected = static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0));
        if (selected < 0 || ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(selected),
                                           reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
            ::GetClientRect(list, &item);
            item.bottom = item.top;
        }
        at = {item.left, item.bottom};
        ::ClientToScreen(list, &at);
    }
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuW(menu.Get(), MF_STRING, kExportMenuItem, L"書き出し…");
    ::AppendMenuW(menu.Get(), MF_STRING, kImportMenuItem, L"読み込み…");
    ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
}

void ExportFromWindow(MainWindow& window) {
    std::vector<StoredButton> buttons = ListButtons();
    const int selected = window.SelectedIndex();
    if (selected >= 0) {
        const std::wstring name = window.ButtonNameAt(selected);
        const BoxResult only = window.Confirm(L"選択したボタン「" + name +
                                              L"」だけを書き出しますか？\r\n「いいえ」ですべてのボタンを書き出します。");
        if (only == BoxResult::Cancel) return;
        if (only == BoxResult::Yes) {
            const std::wstring number = window.ButtonNumberAt(selected);
            std::erase_if(buttons, [&](const StoredButton& b) { return b.number != number; });
        }
    }
    FileDialogState& state = DialogState();
    state.title = L"書き出し";
    if (!ShowSaveDialog(window.Handle(), state)) return;
    const ExportReport report = ExportButtons(buttons, state.fileName);
    std::wstring text = std::to_wstring(report.buttons) + L" 個のボタンを書き出しました。";
    if (!report.missingIcons.empty()) {
        text += L"\r\n次のアイコン ファイルが見つからないため、コピーしませんでした:";
        for (const std::wstring& icon : report.missingIcons) text += L"\r\n" + icon;
    }
    window.Inform(text);
}

void ImportIntoWindow(MainWindow& window) {
    FileDialogState& state = DialogState();
    state.title = L"読み込み";
    if (!ShowOpenDialog(window.Handle(), state)) return;
    WindowImportChoices choices(window);
    ImportReport report;
    // The lists show what the registry holds afterwards, also after a failure.
    const auto reload = [&] {
        window.ClearButtonLists();
        LoadCatalogue(window);
    };
    try {
        ImportButtons(state.fileName, choices, report);
    } catch (const Failure& failure) {
        reload();
        if (report.created || report.replaced) {
            std::wstring summary = ImportSummary(report);
            if (summary.ends_with(L"。")) summary.pop_back();  // the failure box ends the text
            throw Failure(failure.Message() + L"\r\nそれまでに " + summary);
        }
        throw;
    }
    reload();
    window.Inform(ImportSummary(report));
}

}  // namespace orbelune
