#include "store/button_entry.h"

#include "platform/files.h"
#include "platform/registry.h"
#include "store/registry_layout.h"

namespace orbelune {

namespace {

using Field = ButtonForm::Field;

constexpr wchar_t kBlankField[] = L"空白の項目があります";
constexpr wchar_t kIconMissing[] = L"アイコンに存在しないファイルが選択されています。そのまま続けますか？";
constexpr wchar_t kHotIconMissing[] = L"ホットアイコンに存在しないファイルが選択されています。そのまま続けますか？";

}  // namespace

bool CheckEntriesFilled(ButtonForm& form) {
    for (Field field : {Field::Name, Field::LinkTarget, Field::Icon}) {
        if (form.FieldText(field).empty()) {
            form.Inform(kBlankField);
            return false;
        }
    }
    return true;
}

bool ConfirmIconFiles(ButtonForm& form) {
    if (form.FieldText(Field::HotIcon).empty()) form.SetFieldText(Field::HotIcon, form.FieldText(Field::Icon));
    // Only No stops: closing the box goes on as Yes does.
    if (!FileExists(form.FieldText(Field::Icon)) && form.Confirm(kIconMissing) == BoxResult::No) return false;
    const std::wstring hotIcon = form.FieldText(Field::HotIcon);
    if (hotIcon != kSameAsIcon && !FileExists(hotIcon) && form.Confirm(kHotIconMissing) == BoxResult::No)
        return false;
    return true;
}

std::wstring HotIconText(const ButtonForm& form) {
    std::wstring hotIcon = form.FieldText(Field::HotIcon);
    if (hotIcon != kSameAsIcon && !hotIcon.empty()) return hotIcon;
    return form.FieldText(Field::Icon);
}

void WriteExtensionValues(const Registry& registry, const ButtonForm& form) {
    registry.WriteString(layout::kButtonText, form.FieldText(Field::Name));
    registry.WriteString(layout::kClsid, layout::kExecClsid);
    registry.WriteString(layout::kExec, form.FieldText(Field::LinkTarget));
    registry.WriteString(layout::kIcon, form.FieldText(Field::Icon));
    registry.WriteString(layout::kHotIcon, HotIconText(form));
}

void ClearEntryFields(ButtonForm& form) {
    form.SetFieldText(Field::Name, L"");
    form.SetFieldText(Field::LinkTarget, L"");
    form.SetFieldText(Field::Icon, L"");
    if (!form.HotIconSameAsIcon()) form.SetFieldText(Field::HotIcon, L"");
}

}  // namespace orbelune
