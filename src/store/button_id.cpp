#include "store/button_id.h"

#include "store/int_text.h"
#include "store/registry_layout.h"

namespace orbelune {

std::wstring PaddedNumber(std::wstring_view plainNumber) {
    std::wstring padded(plainNumber);
    if (padded.size() < 8) padded.insert(0, 8 - padded.size(), L'0');
    return padded;
}

std::wstring ButtonIdentifier(std::wstring_view paddedNumber) {
    std::wstring id = L"{";
    id += paddedNumber;
    id += L"-0000-0000-0000-000000000000}";
    return id;
}

std::wstring ButtonNumValueName(std::wstring_view plainNumber) {
    return std::wstring(layout::kButtonNumPrefix) + std::wstring(plainNumber);
}

std::wstring PlainNumber(std::wstring_view paddedNumber) { return IntToText(TextToInt(paddedNumber)); }

}  // namespace orbelune
