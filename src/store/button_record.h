// A toolbar button's record: its four values, each an entry field of the
// main window and a value of the button's extension key, tied together in
// one table. Selecting, checking, writing and clearing walk the table; a new
// value of a button is one row here (and its field's row in the window).
#pragma once

#include "store/registry_layout.h"

#include <optional>

namespace orbelune {

// The four values, as the entry fields hold them.
enum class ButtonField { Name, LinkTarget, Icon, HotIcon };

// The hot-icon field's text while the hot icon is the icon.
inline constexpr wchar_t kSameAsIcon[] = L"アイコンと同じ";

// NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): always made whole, by aggregate initialisation
struct ButtonValue {
    const wchar_t* registryName;       // the value of the button's extension key
    std::optional<ButtonField> field;  // the entry field it is read from and shown in; none: a fixed text
    const wchar_t* fixedText;          // the text of a value without a field
    bool mustBeFilled;                 // an empty field stops create and edit
    const wchar_t* missingFileQuestion;  // a path whose missing file create and edit ask about
    bool standsForIcon;  // empty or "アイコンと同じ" is the icon: stored as the icon's path,
                         // shown as "アイコンと同じ" while the check box is ticked, then never cleared
};

// In the order the values are written into a new extension key.
inline constexpr ButtonValue kButtonValues[] = {
    {layout::kButtonText, ButtonField::Name, nullptr, true, nullptr, false},
    {layout::kClsid, std::nullopt, layout::kExecClsid, false, nullptr, false},
    {layout::kExec, ButtonField::LinkTarget, nullptr, true, nullptr, false},
    {layout::kIcon, ButtonField::Icon, nullptr, true,
     L"アイコンに存在しないファイルが選択されています。そのまま続けますか？", false},
    {layout::kHotIcon, ButtonField::HotIcon, nullptr, false,
     L"ホットアイコンに存在しないファイルが選択されています。そのまま続けますか？", true},
};

}  // namespace orbelune
