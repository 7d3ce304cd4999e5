#include "store/catalogue_load.h"

#include "platform/failure.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "store/button_id.h"
#include "store/catalogue_scan.h"
#include "store/int_text.h"
#include "store/registry_layout.h"

#include <cstdint>

namespace orbelune {

namespace {

// One run of appends to the lists, ended also by a failure.
class AppendRun {
public:
    AppendRun(CatalogueWindow& window, std::size_t count, std::size_t nameChars) : window_(window) {
        window_.BeginAppendingButtons(count, nameChars);
    }
    ~AppendRun() { window_.EndAppendingButtons(); }
    AppendRun(const AppendRun&) = delete;
    AppendRun& operator=(const AppendRun&) = delete;

private:
    CatalogueWindow& window_;
};

// Appends every catalogue button from 0 up to ButtonDat. The catalogue key is
// the open key. A value of the wrong type ends the scan after the buttons
// with lower numbers have been appended.
void ListCatalogueButtons(const Registry& registry, CatalogueWindow& window) {
    const std::wstring buttonDat = registry.ReadString(layout::kButtonDat);
    if (buttonDat.empty()) return;
    const std::int32_t top = TextToInt(buttonDat);
    if (top < 0) return;

    // One pass over the catalogue's values instead of a query for every
    // number up to ButtonDat, which may be as high as 2147483647.
    const std::vector<RegistryValue> values = registry.Values();
    std::vector<std::wstring_view> names;
    names.reserve(values.size());
    for (const auto& value : values) names.emplace_back(value.name);

    const std::vector<PresentButton> present = PresentButtons(names, top);
    std::size_t nameChars = 0;
    for (const PresentButton& button : present) nameChars += values[button.index].data.size() / sizeof(wchar_t);
    const AppendRun run(window, present.size(), nameChars);
    for (const PresentButton& button : present) {
        const std::wstring number = IntToText(button.number);
        const RegistryValue& value = values[button.index];
        window.AppendButtonName(
            StringValueText(ButtonNumValueName(number), value.type, value.data.data(), value.data.size()));
        window.AppendButtonNumber(number);
    }
}

// '"' + AppPath + "vesk_uninst.exe" + '"'
std::wstring UninstallCommand(const std::wstring& appPath) {
    return L"\"" + appPath + layout::kUninstallerFile + L"\"";
}

}  // namespace

void RecordProgramFolder(const std::wstring& folder) {
    Registry registry;
    if (folder.empty() || !registry.OpenKey(layout::kCatalogueKey, true)) return;
    std::wstring appPath;
    try {
        appPath = registry.ReadString(layout::kAppPath);
    } catch (const Failure&) {  // of another type: it names no folder either
    }
    if (!appPath.empty() && FileExists(appPath + layout::kProgramFile)) return;
    registry.WriteString(layout::kAppPath, folder);
}

void LoadCatalogue(CatalogueWindow& window) {
    std::int32_t nextIdFound = 0;
    std::int32_t valueCount = 0;
    std::wstring appPath;
    std::wstring expectedUninstall;

    {
        Registry registry;
        if (registry.OpenKey(layout::kCmdMappingKey, false)) {
            nextIdFound = registry.ReadInteger(layout::kNextId);
            valueCount = static_cast<std::int32_t>(registry.ValueCount());
        }
        registry.CloseKey();

        if (registry.OpenKey(layout::kCatalogueKey, true)) {
            ListCatalogueButtons(registry, window);
            if (!registry.ValueExists(layout::kNextIdDef)) registry.WriteInteger(layout::kNextIdDef, nextIdFound);
            if (!registry.ValueExists(layout::kCmdCount)) registry.WriteInteger(layout::kCmdCount, valueCount);

            appPath = registry.ReadString(layout::kAppPath);
            window.SetIconFolder(appPath + layout::kIconFolderName);
            // An empty AppPath names no folder: such a command must never
            // replace the installer's working one.
            if (!appPath.empty()) expectedUninstall = UninstallCommand(appPath);
        }
    }

    if (expectedUninstall.empty()) return;

    Registry machine;
    machine.SetRoot(HKEY_LOCAL_MACHINE);
    // The 32-bit installer writes the uninstall key in the 32-bit view; the
    // 64-bit build repairs the same entry there.
    machine.SetView(KEY_WOW64_32KEY);
    if (!machine.OpenKey(layout::kUninstallKey, false)) return;  // absent, or not ours to change
    // Compared exactly, letter case counting. The entry is pointed only at
    // a folder that holds the uninstaller: AppPath may name a copy of the
    // program that was never installed (one unpacked from the portable zip
    // records its own folder), and an entry pointed there would uninstall
    // nothing.
    if (machine.ReadString(layout::kUninstallString) != expectedUninstall &&
        FileExists(appPath + layout::kUninstallerFile))
        machine.WriteString(layout::kUninstallString, expectedUninstall);
}

}  // namespace orbelune
