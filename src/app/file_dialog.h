// The common file-open and file-save dialogs, and what each keeps from one
// showing to the next.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orbelune {

struct FileDialogState {
    std::wstring initialFolder;
    std::wstring filter;  // "description|pattern|description|pattern..."
    int filterIndex = 1;  // 1 is the first pair
    std::wstring fileName;
    std::wstring title;             // empty: the system's own
    std::wstring defaultExtension;  // empty: none added
};

// Shows the dialog, owned by `owner`. On confirmation the state takes the
// chosen file name and filter index and the call gives true; on cancel
// nothing changes. The named file need not exist, and an existing one is
// replaced without a question.
bool ShowOpenDialog(HWND owner, FileDialogState& state);
bool ShowSaveDialog(HWND owner, FileDialogState& state);

// Test seam: while set, the dialogs are answered by this function, which
// may change the state as the user would, instead of being shown.
using FileDialogAnswerer = std::function<bool(bool save, FileDialogState& state)>;
void SetFileDialogAnswerer(FileDialogAnswerer answerer);

}  // namespace orbelune
