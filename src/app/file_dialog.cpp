#include "app/file_dialog.h"

#include <commdlg.h>

#include <vector>

namespace orbelune {

namespace {

FileDialogAnswerer& Answerer() {
    static FileDialogAnswerer answerer;
    return answerer;
}

bool Show(HWND owner, FileDialogState& state, bool save) {
    if (const auto& answer = Answerer()) return answer(save, state);

    // "a|b|c|d" becomes "a\0b\0c\0d\0\0".
    std::wstring filter = state.filter;
    for (auto& c : filter)
        if (c == L'|') c = L'\0';
    filter.append(2, L'\0');

    std::vector<wchar_t> file(32768, L'\0');
    state.fileName.copy(file.data(), file.size() - 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(state.filterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = state.initialFolder.empty() ? nullptr : state.initialFolder.c_str();
    ofn.lpstrTitle = state.title.empty() ? nullptr : state.title.c_str();
    ofn.lpstrDefExt = state.defaultExtension.empty() ? nullptr : state.defaultExtension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;

    const BOOL confirmed = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!confirmed) return false;
    state.fileName = file.data();
    state.filterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

}  // namespace

bool ShowOpenDialog(HWND owner, FileDialogState& state) { return Show(owner, state, false); }
bool ShowSaveDialog(HWND owner, FileDialogState& state) { return Show(owner, state, true); }
void SetFileDialogAnswerer(FileDialogAnswerer answerer) { Answerer() = std::move(answerer); }

}  // namespace orbelune
