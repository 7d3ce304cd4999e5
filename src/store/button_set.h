// The button set as data: listed with its values, written to a button set
// file (store/button_set_file.h) with copies of its icons, read back from
// one, and single buttons created and deleted, all through the operations
// behind the main window's buttons, so that the catalogue, the command
// numbers and the extension keys come out as a create by hand makes them.
// The main window's context menu and the console companion run these.
#pragma once

#include "platform/prompts.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace orbelune {

struct StoredButton {
    std::wstring number;  // plain decimal
    std::wstring name;    // as the catalogue lists it
    std::wstring target, icon, hotIcon;  // Exec, Icon and HotIcon of its extension key
};

// Every catalogue button, in ascending number, with its values, one at a
// time. Reads only.
void ForEachButton(const std::function<void(const StoredButton&)>& visit);
// The same, all at once.
std::vector<StoredButton> ListButtons();

struct ExportReport {
    std::size_t buttons = 0, iconsCopied = 0;
    std::vector<std::wstring> missingIcons;  // icon files not found, named as the buttons name them
};

// Writes the buttons to `path` (UTF-16) and copies each icon file they name
// beside it once, named relative to it; a missing icon file is reported and
// named as it stands. A value that no line of the file can hold (a line
// break) fails before anything is written.
ExportReport ExportButtons(const std::vector<StoredButton>& buttons, const std::wstring& path);

// What an import asks: of a window its boxes, of the console its options.
class ImportChoices {
public:
    enum class Existing { Skip, Replace, Stop };
    // `count` buttons of the file have names that buttons present have.
    virtual Existing ForExistingNames(std::size_t count) = 0;
    // The file asks that the `count` buttons present go first.
    virtual bool DeleteButtonsPresent(std::size_t count) = 0;
    // A button has been made whole (`done` so far).
    virtual void Made(std::size_t /*done*/) {}

protected:
    ~ImportChoices() = default;
};

struct ImportReport {
    std::size_t created = 0, replaced = 0, skipped = 0, deleted = 0;
    std::vector<std::wstring> skippedNames;
};

// Reads a button set file (UTF-16 or UTF-8 with a byte-order mark, code
// page 932 without) and makes its buttons. Every entry is checked and every
// icon copied into the program's icon folder (never over a different file)
// before the registry changes; then each button is made whole or not at all.
// A Failure names the entry and the reason; what it says of the buttons made
// before it is in `report`.
void ImportButtons(const std::wstring& path, ImportChoices& choices, ImportReport& report);

// The outcome of an import in a sentence.
std::wstring ImportSummary(const ImportReport& report);

// "作成" with these values through `prompts` (the missing-file questions);
// the new button's number, empty when it was not made.
std::wstring CreateOneButton(const std::wstring& name, const std::wstring& target, const std::wstring& icon,
                             const std::wstring& hotIcon, Prompts& prompts);

// "削除" of the button with this plain number, or else this name; a Failure
// when there is none or the name is not one button's.
void DeleteOneButton(const std::wstring& numberOrName, Prompts& prompts);

}  // namespace orbelune
