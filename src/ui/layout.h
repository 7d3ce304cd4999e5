// A window's control table: one row per control holding everything about
// it (identifier, class, text, style, font, where it sits within its parent
// at 96 dpi, the label that names it for screen readers, its tooltip),
// written once and read both by the window (Form::MakeControls, Form::Place)
// and by the layout tests, which scale the same rows. What a control's
// notifications run is the window's command table, keyed by the same
// identifiers.
#pragma once

#include <windows.h>

#include <span>

namespace orbelune {

// A one-line label, check box or radio button whose text does not fit is
// widened, keeping its left edge, or its right edge (labels set flush
// against the field they name). Fonts that stand in for the Windows ones
// may be wider than the layout's.
enum class Grow { No, KeepLeft, KeepRight };

struct LayoutRect {
    int id = 0;
    int x = 0, y = 0, width = 0, height = 0;
    Grow grow = Grow::No;
};

// A font of a form: face and character height at 96 dpi. A row names its
// font by its index in the form's font table.
struct FontSpec {
    const wchar_t* face = nullptr;
    int height = 0;
    bool bold = false;
};

// NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): always made whole, by aggregate initialisation
struct ControlRow {
    LayoutRect place;           // identifier and rectangle
    const wchar_t* className;   // nullptr: a window the form makes itself (Form::MakeWindow)
    const wchar_t* text = L"";
    DWORD style = 0;            // WS_CHILD is added; BS_GROUPBOX makes a group box
    DWORD exStyle = 0;
    int font = 0;               // index in the form's font table
    int label = 0;              // the label whose text names the control for screen readers,
                                // and whose tooltip describes it (the keyboard never shows it)
    const wchar_t* tooltip = nullptr;
    int itemHeight = 0;         // a list box's item height at 96 dpi
    bool checked = false;       // a check box or radio button made checked
    const wchar_t* name = nullptr;  // the name for screen readers of a control without a label
};

// Styles the windows' rows share.
inline constexpr DWORD kTabStop = WS_VISIBLE | WS_TABSTOP;
inline constexpr DWORD kLabelStyle = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
inline constexpr DWORD kListStyle = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
inline constexpr DWORD kGroupBoxStyle = WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX;

// A form's place on the screen (CW_USEDEFAULT: the window system's choice)
// and its client size, at 96 dpi.
struct FormRect {
    int x = 0, y = 0, clientWidth = 0, clientHeight = 0;
};

// The place of `id`; nullptr when the table has no row for it.
constexpr const LayoutRect* FindLayout(std::span<const ControlRow> table, int id) {
    for (const ControlRow& row : table)
        if (row.place.id == id) return &row.place;
    return nullptr;
}

}  // namespace orbelune
