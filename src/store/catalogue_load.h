// The catalogue load: the main window's creation handler, run again by the
// edit to refill the lists.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orbelune {

// The main window state that the load fills.
class CatalogueWindow {
public:
    // kButtonNameList: a button's name.
    virtual void AppendButtonName(std::wstring_view name) = 0;
    // kButtonNumberList: the same button's number in plain decimal.
    virtual void AppendButtonNumber(std::wstring_view number) = 0;
    // AppPath followed by "icon".
    virtual void SetIconFolder(std::wstring_view folder) = 0;

    // Around a run of appends: room for `count` more buttons whose names
    // hold `nameChars` characters in all, and the lists painted once when
    // the run ends instead of at every append. The end also comes while a
    // failure ends the load, so it must not fail itself.
    virtual void BeginAppendingButtons(std::size_t /*count*/, std::size_t /*nameChars*/) {}
    virtual void EndAppendingButtons() noexcept {}

protected:
    ~CatalogueWindow() = default;
};

// Reads Internet Explorer's NextId and its mapping count, lists the catalogue
// buttons in ascending number after what the lists already hold, records
// NextIdDef and CmdCount when absent, sets the icon folder from AppPath, and
// brings the uninstall command into line with AppPath when the AppPath
// folder holds the uninstaller (vesk_uninst.exe). A failure ends the
// load at its step; what was appended or written before it stays.
void LoadCatalogue(CatalogueWindow& window);

// At start-up, before the load: makes AppPath name `folder` (the running
// program's, ending in "\\") for the user who runs it, when AppPath is
// absent, not text, or names a folder without Orbelune.exe. Elsewhere it
// names an installation of the user's choice and stays.
void RecordProgramFolder(const std::wstring& folder);

}  // namespace orbelune
