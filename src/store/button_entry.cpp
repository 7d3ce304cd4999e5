#include "store/button_entry.h"

#include "platform/files.h"
#include "platform/registry.h"

namespace orbelune {

namespace {

constexpr wchar_t kBlankField[] = L"空白の項目があります";

// A value that stands for the icon while its field is empty or "アイコンと同じ".
bool IsTheIcon(const ButtonValue& value, const std::wstring& text) {
    return value.standsForIcon && (text.empty() || text == kSameAsIcon);
}

// The text a value is stored with.
std::wstring StoredText(const ButtonValue& value, const ButtonForm& form) {
    if (!value.field) return value.fixedText;
    std::wstring text = form.FieldText(*value.field);
    return IsTheIcon(value, text) ? form.FieldText(ButtonField::Icon) : text;
}

}  // namespace

bool CheckEntriesFilled(ButtonForm& form) {
    for (const ButtonValue& value : kButtonValues) {
        if (value.mustBeFilled && form.FieldText(*value.field).empty()) {
            form.Inform(kBlankField);
            return false;
        }
    }
    return true;
}

bool ConfirmIconFiles(ButtonForm& form) {
    for (const ButtonValue& value : kButtonValues)
        if (value.standsForIcon && form.FieldText(*value.field).empty())
            form.SetFieldText(*value.field, form.FieldText(ButtonField::Icon));
    // Only No stops: closing the box goes on as Yes does.
    for (const ButtonValue& value : kButtonValues) {
        if (!value.missingFileQuestion) continue;
        const std::wstring path = form.FieldText(*value.field);
        if (value.standsForIcon && path == kSameAsIcon) continue;
        if (!FileExists(path) && form.Confirm(value.missingFileQuestion) == BoxResult::No) return false;
    }
    return true;
}

void ReadExtensionValues(const Registry& registry, ButtonForm& form) {
    for (const ButtonValue& value : kButtonValues) {
        if (!value.field) continue;
        form.SetFieldText(*value.field, value.standsForIcon && form.HotIconSameAsIcon()
                                            ? std::wstring(kSameAsIcon)
                                            : registry.ReadString(value.registryName));
    }
}

void WriteExtensionValues(const Registry& registry, const ButtonForm& form) {
    for (const ButtonValue& value : kButtonValues) registry.WriteString(value.registryName, StoredText(value, form));
}

void ClearEntryFields(ButtonForm& form) {
    for (const ButtonValue& value : kButtonValues)
        if (value.field && !(value.standsForIcon && form.HotIconSameAsIcon())) form.SetFieldText(*value.field, L"");
}

}  // namespace orbelune
