#include "platform/registry.h"
#include "store/button_entry.h"
#include "store/button_id.h"
#include "store/button_operations.h"
#include "store/catalogue_scan.h"
#include "store/int_text.h"
#include "store/registry_layout.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace orbelune {

namespace {

constexpr wchar_t kNoCatalogue[] = L"ボタン一覧のレジストリキーを開けません。ボタンは作成されませんでした。";
constexpr wchar_t kNoNumberLeft[] = L"ボタン番号が上限に達しました。ボタンは作成されませんでした。";

// The number after ButtonDat: "0" when it is empty, else ButtonDat + 1;
// empty when no number is left. Going past the largest number would wrap to
// a negative one, which the load never lists: every button would vanish
// from the list.
std::wstring NextButtonNumber(const std::wstring& buttonDat) {
    if (buttonDat.empty()) return L"0";
    const std::int32_t top = TextToInt(buttonDat);
    if (top == std::numeric_limits<std::int32_t>::max()) return {};
    return IntToText(top + 1);
}

// A catalogue edited outside the program (ButtonDat removed, emptied or
// lowered while buttons remain) can make the number after ButtonDat one that
// a button already has. That button is never overwritten: the new one takes
// the number above the highest present instead; empty when no number is left.
// The catalogue key is the open key.
std::wstring UnusedButtonNumber(const Registry& registry, std::wstring number) {
    if (number.empty() || !registry.ValueExists(ButtonNumValueName(number))) return number;
    const std::vector<std::wstring> names = registry.ValueNames();
    const std::vector<std::wstring_view> views(names.begin(), names.end());
    const std::optional<std::int32_t> highest = HighestButtonNumber(views);
    if (!highest) return L"0";  // the one present was no plain number (a negative one)
    if (*highest == std::numeric_limits<std::int32_t>::max()) return {};
    return IntToText(*highest + 1);
}

}  // namespace

void CreateButton(ButtonForm& form) {
    using Field = ButtonForm::Field;
    if (!CheckEntriesFilled(form) || !ConfirmIconFiles(form)) return;

    Registry registry;
    // Without the catalogue no number can be given out, and nothing is written.
    if (!registry.OpenKey(layout::kCatalogueKey, false)) {
        form.Error(kNoCatalogue);
        return;
    }
    const std::wstring number = UnusedButtonNumber(registry, NextButtonNumber(registry.ReadString(layout::kButtonDat)));
    if (number.empty()) {
        form.Error(kNoNumberLeft);
        return;
    }
    registry.WriteString(layout::kButtonDat, number);
    registry.WriteString(ButtonNumValueName(number), form.FieldText(Field::Name));
    // The catalogue holds the button now: both lists show it, whatever
    // happens in the steps that follow.
    form.AppendButtonNumber(number);
    form.AppendButtonName(form.FieldText(Field::Name));
    registry.CloseKey();

    const std::wstring id = ButtonIdentifier(PaddedNumber(number));
    if (registry.OpenKey(layout::kCmdMappingKey, false)) {
        const std::int32_t commandNumber = registry.ReadInteger(layout::kNextId);
        registry.WriteInteger(id, commandNumber);
        // One higher, as the 32-bit value Internet Explorer stores.
        registry.WriteInteger(layout::kNextId,
                              static_cast<std::int32_t>(static_cast<std::uint32_t>(commandNumber) + 1u));
    }
    registry.CloseKey();

    if (registry.OpenKey(std::wstring(layout::kExtensionKeyPrefix) + id, true)) WriteExtensionValues(registry, form);
    registry.CloseKey();

    ClearEntryFields(form);
}

}  // namespace orbelune
