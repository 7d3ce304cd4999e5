// The button list's context menu: "書き出し…" writes the button set (or the
// selected button) to a file, "読み込み…" makes the buttons of one.
#pragma once

#include <windows.h>

namespace orbelune {

class MainWindow;

// The menu's items, which come back to the owner as WM_COMMAND.
inline constexpr int kExportMenuItem = 301;
inline constexpr int kImportMenuItem = 302;

// Makes the menu key's release ask the list for its context menu, as
// Windows does and Wine does not.
void WatchMenuKey(HWND list);

// Shows the menu at a point of the screen, or for the keyboard (-1, -1)
// below the list's selected item (or at its top).
void ShowButtonSetMenu(HWND owner, HWND list, LPARAM where);

void ExportFromWindow(MainWindow& window);
void ImportIntoWindow(MainWindow& window);

}  // namespace orbelune
