// A window's layout table: where each control sits within its parent at
// 96 dpi, written once and read both by the window (Form::AddControl,
// Form::Place) and by the layout tests, which scale the same rows.
#pragma once

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

// A form's place on the screen (CW_USEDEFAULT: the window system's choice)
// and its client size, at 96 dpi.
struct FormRect {
    int x = 0, y = 0, clientWidth = 0, clientHeight = 0;
};

// The row of `id`; nullptr when the table has none.
constexpr const LayoutRect* FindLayout(std::span<const LayoutRect> table, int id) {
    for (const LayoutRect& row : table)
        if (row.id == id) return &row;
    return nullptr;
}

}  // namespace orbelune
