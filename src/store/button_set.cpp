#include "store/button_set.h"

#include "platform/byte_stream.h"
#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "store/button_id.h"
#include "store/button_operations.h"
#include "store/button_set_file.h"
#include "store/catalogue_load.h"
#include "store/catalogue_scan.h"
#include "store/detached_form.h"
#include "store/int_text.h"
#include "store/registry_layout.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <map>
#include <optional>
#include <set>

namespace orbelune {

namespace {

constexpr wchar_t kNotAButtonSet[] = L"'%s' はボタン一覧のファイルではありません（[BrowserToolbars] セクションがありません）";
constexpr wchar_t kCannotRead[] = L"ファイル '%s' を読み込めません";
constexpr wchar_t kTooLargeFile[] = L"ファイル '%s' が大きすぎます";
constexpr wchar_t kLineBreak[] = L"ボタン「%s」の値に改行が含まれているため、書き出せません";
constexpr wchar_t kNoCatalogue[] = L"ボタン一覧のレジストリキーを開けません";
constexpr wchar_t kNoIconFolder[] = L"アイコン フォルダー '%s' を作成できません";
constexpr wchar_t kStopped[] = L"読み込みを中止しました。ボタンは作成されていません";
constexpr wchar_t kNoSuchButton[] = L"ボタン '%s' がありません";
constexpr wchar_t kNameNotOne[] = L"名前が '%s' のボタンは複数あります。番号で指定してください";

// The text of an export is written in pieces of about this many characters.
constexpr std::size_t kExportPiece = 32768;
// A button set file, however many buttons it holds, stays far below this.
constexpr std::size_t kLargestButtonSetFile = std::size_t{256} << 20;
// The registry's limit for a value's data (1 MB), its ending NUL included.
constexpr std::size_t kLongestValue = (std::size_t{1} << 20) / sizeof(wchar_t) - 1;

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

// "ボタン 3（Caption3 ...）": how a message names an entry of the file.
std::wstring EntryLabel(const ButtonSetEntry& entry) {
    const std::wstring n = std::to_wstring(entry.number);
    return L"ボタン " + n + L"（Caption" + n + L"「" + entry.caption + L"」）";
}

[[noreturn]] void FailForEntry(const ButtonSetEntry& entry, std::wstring_view reason) {
    throw Failure(EntryLabel(entry) + L": " + std::wstring(reason));
}

// The catalogue as the window lists it, without its writes: the numbers and
// names of the buttons present, ascending.
std::vector<StoredButton> CatalogueButtons(const Registry& registry) {
    const std::wstring buttonDat = registry.ReadString(layout::kButtonDat);
    if (buttonDat.empty()) return {};
    const std::int32_t top = TextToInt(buttonDat);
    const std::vector<RegistryValue> values = registry.Values();
    std::vector<std::wstring_view> names;
    names.reserve(values.size());
    for (const auto& value : values) names.emplace_back(value.name);
    std::vector<StoredButton> buttons;
    for (const PresentButton& button : PresentButtons(names, top)) {
        StoredButton b;
        b.number = IntToText(button.number);
        const RegistryValue& value = values[button.index];
        b.name = StringValueText(ButtonNumValueName(b.number), value.type, value.data.data(), value.data.size());
        buttons.push_back(std::move(b));
    }
    return buttons;
}

// Icon files copied into one folder, each once, under its own name or a
// free one ("name (2).ico"), never over a different file: a file there with
// the same bytes is taken as the copy.
class CopiesInFolder {
public:
    explicit CopiesInFolder(std::wstring folder) : folder_(std::move(folder)) {}

    // The copy of an existing file, made now or before; empty when the copy
    // fails.
    std::wstring CopyOf(const std::wstring& source) {
        const std::wstring key = Lower(source);
        if (const auto done = copies_.find(key); done != copies_.end()) return done->second;
        std::wstring target = FreeOrSamePath(folder_, FileNameOfPath(source), source,
                                             [&](const std::wstring& p) { return given_.count(Lower(p)) != 0; });
        if (!FileExists(target)) {
            if (!CopyToNewFile(source, target)) return {};
            made_.push_back(target);
        }
        given_.insert(Lower(target));
        copies_.emplace(key, target);
        return target;
    }
    std::size_t MadeCount() const noexcept { return made_.size(); }
    // Takes back the copies made.
    void RemoveMade() noexcept {
        for (const std::wstring& file : made_) RemoveFile(file);
        made_.clear();
    }

private:
    std::wstring folder_;
    std::map<std::wstring, std::wstring> copies_;  // source (lower case) -> its copy
    std::set<std::wstring> given_;                 // copies given out (lower case)
    std::vector<std::wstring> made_;
};

// Answers of the operations run for an import: it never asks, and anything
// the operations would tell the user ends it.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): final, and the base's destructor is protected
class ImportPrompts final : public Prompts {
public:
    void Inform(std::wstring_view text) override { throw Failure(std::wstring(text)); }
    BoxResult Confirm(std::wstring_view) override { return BoxResult::Yes; }
    void Error(std::wstring_view text) override { throw Failure(std::wstring(text)); }
};

// What an import's creates change, as it stood before the button being made,
// to put back when that button cannot be made whole.
struct CreateUndo {
    std::optional<std::wstring> buttonDat;  // absent: no value
    std::optional<std::int32_t> nextId;     // absent: no command-mapping key
};

void PutBack(const CreateUndo& before, const std::optional<std::wstring>& madeNumber) noexcept {
    try {
        Registry registry;
        if (registry.OpenKey(layout::kCatalogueKey, false)) {
            if (before.buttonDat) registry.WriteString(layout::kButtonDat, *before.buttonDat);
            else registry.DeleteValue(layout::kButtonDat);
            if (madeNumber) registry.DeleteValue(ButtonNumValueName(*madeNumber));
        }
        registry.CloseKey();
        if (!madeNumber) return;
        const std::wstring id = ButtonIdentifier(PaddedNumber(*madeNumber));
        if (before.nextId && registry.OpenKey(layout::kCmdMappingKey, false)) {
            registry.DeleteValue(id);
            registry.WriteInteger(layout::kNextId, *before.nextId);
        }
        registry.CloseKey();
        if (registry.OpenKey(layout::kExtensionsKey, false)) registry.DeleteKey(id);
    } catch (const Failure&) {  // nothing more can be put back
    }
}

std::wstring ResolvedIcon(const std::wstring& folder, const std::wstring& path) {
    return path.empty() || IsAbsolutePath(path) ? path : folder + path;
}

}  // namespace

void ForEachButton(const std::function<void(const StoredButton&)>& visit) {
    Registry registry;
    if (!registry.OpenKey(layout::kCatalogueKey, false)) return;
    const std::vector<StoredButton> buttons = CatalogueButtons(registry);
    registry.CloseKey();
    const std::wstring prefix = layout::kExtensionKeyPrefix;
    StoredButton b;
    for (const StoredButton& listed : buttons) {
        b.number = listed.number;
        b.name = listed.name;
        b.target.clear(), b.icon.clear(), b.hotIcon.clear();
        if (registry.OpenKey(prefix + ButtonIdentifier(PaddedNumber(b.number)), false)) {
            b.target = registry.ReadString(layout::kExec);
            b.icon = registry.ReadString(layout::kIcon);
            b.hotIcon = registry.ReadString(layout::kHotIcon);
            registry.CloseKey();
        }
        visit(b);
    }
}

std::vector<StoredButton> ListButtons() {
    std::vector<StoredButton> buttons;
    ForEachButton([&](const StoredButton& b) { buttons.push_back(b); });
    return buttons;
}

ExportReport ExportButtons(const std::vector<StoredButton>& buttons, const std::wstring& path) {
    for (const StoredButton& b : buttons)
        for (const std::wstring* value : {&b.name, &b.target, &b.icon, &b.hotIcon})
            if (!ProfileCanHold(*value)) Fail(kLineBreak, b.name);
    ExportReport report;
    CopiesInFolder copies(FolderOfPath(path));
    std::set<std::wstring> missing;  // lower case, reported once
    // The name the file gives an icon: its copy's, relative to the file; a
    // missing file as the button names it.
    const auto nameFor = [&](const std::wstring& icon) {
        if (icon.empty()) return icon;
        if (!FileExists(icon)) {
            if (missing.insert(Lower(icon)).second) report.missingIcons.push_back(icon);
            return icon;
        }
        const std::wstring copy = copies.CopyOf(icon);
        if (copy.empty()) Fail(L"アイコン ファイル '%s' をコピーできません", icon);
        return FileNameOfPath(copy);
    };
    ReplacingFileStream file(path);
    constexpr std::uint8_t kMark[] = {0xFF, 0xFE};
    file.Write(kMark, sizeof kMark);
    std::wstring text = kButtonSetHeader;
    ButtonSetEntry e;
    for (std::size_t n = 0; n < buttons.size(); ++n) {
        const StoredButton& b = buttons[n];
        e.caption = b.name;
        e.action = b.target;
        e.icon = nameFor(b.icon);
        e.hotIcon = nameFor(b.hotIcon);
        AppendButtonSetEntry(text, n, e);
        if (text.size() >= kExportPiece) {
            file.Write(text.data(), text.size() * sizeof(wchar_t));
            text.clear();
        }
    }
    if (!text.empty()) file.Write(text.data(), text.size() * sizeof(wchar_t));
    file.Commit();
    report.buttons = buttons.size();
    report.iconsCopied = copies.MadeCount();
    return report;
}

void ImportButtons(const std::wstring& path, ImportChoices& choices, ImportReport& report) {
    bool tooLarge = false;
    const auto bytes = ReadFileBytes(path, kLargestButtonSetFile, &tooLarge);
    if (!bytes) Fail(tooLarge ? kTooLargeFile : kCannotRead, path);
    std::size_t mark = 0;
    const TextEncoding encoding = TextEncodingOf(bytes->data(), bytes->size(), mark);
    const auto contents = ReadButtonSet(DecodeText(bytes->data() + mark, bytes->size() - mark, encoding));
    if (!contents) Fail(kNotAButtonSet, path);

    // Every entry checked before anything changes.
    const std::wstring folder = FolderOfPath(path);
    std::map<std::wstring, bool> found;  // icon path (lower case) -> whether it is a file: asked once each
    const auto exists = [&](const std::wstring& icon) {
        const auto [at, added] = found.try_emplace(Lower(icon), false);
        if (added) at->second = FileExists(icon);
        return at->second;
    };
    for (const ButtonSetEntry& e : contents->buttons) {
        if (e.caption.empty() || e.action.empty() || e.icon.empty()) FailForEntry(e, L"空白の項目があります");
        for (const std::wstring* value : {&e.caption, &e.action, &e.icon, &e.hotIcon})
            if (value->size() > kLongestValue) FailForEntry(e, L"値が長すぎてレジストリに書き込めません");
        for (const std::wstring* icon : {&e.icon, &e.hotIcon})
            if (!icon->empty() && !exists(ResolvedIcon(folder, *icon)))
                FailForEntry(e, L"アイコン ファイル '" + ResolvedIcon(folder, *icon) + L"' がありません");
    }
    ImportPrompts quiet;
    DetachedButtonForm form(quiet);
    CreateUndo before;
    {
        Registry registry;
        if (!registry.OpenKey(layout::kCatalogueKey, false)) throw Failure(kNoCatalogue);
        if (registry.ValueExists(layout::kButtonDat)) {
            before.buttonDat = registry.ReadString(layout::kButtonDat);
            if (!before.buttonDat->empty()) TextToInt(*before.buttonDat);  // fails before any change
        }
        registry.CloseKey();
        if (registry.OpenKey(layout::kCmdMappingKey, false)) before.nextId = registry.ReadInteger(layout::kNextId);
    }
    LoadCatalogue(form);

    const bool deleteAll = contents->deleteButtons && !form.names.empty() && choices.DeleteButtonsPresent(form.names.size());
    std::map<std::wstring, int> present;  // name -> index of the first button of that name
    if (!deleteAll)
        for (std::size_t i = form.names.size(); i-- > 0;) present[form.names[i]] = static_cast<int>(i);
    std::size_t existing = 0;
    for (const ButtonSetEntry& e : contents->buttons) existing += present.count(e.caption);
    ImportChoices::Existing forExisting = ImportChoices::Existing::Skip;
    if (existing) forExisting = choices.ForExistingNames(existing);
    if (forExisting == ImportChoices::Existing::Stop) throw Failure(kStopped);

    // The icons into the program's icon folder, before the registry changes:
    // a copy that fails takes the others back with it.
    CopiesInFolder copies(form.iconFolder);
    try {
        if (!IsAbsolutePath(form.iconFolder) || !MakeFolders(form.iconFolder)) Fail(kNoIconFolder, form.iconFolder);
        for (const ButtonSetEntry& e : contents->buttons) {
            if (forExisting == ImportChoices::Existing::Skip && present.count(e.caption)) continue;  // not made
            for (const std::wstring* icon : {&e.icon, &e.hotIcon}) {
                const std::wstring source = ResolvedIcon(folder, *icon);
                if (!source.empty() && copies.CopyOf(source).empty())
                    FailForEntry(e, L"アイコン ファイル '" + source + L"' をコピーできません");
            }
        }
    } catch (const Failure&) {
        copies.RemoveMade();
        throw;
    }
    const auto copyOf = [&](const std::wstring& icon) {
        return icon.empty() ? icon : copies.CopyOf(ResolvedIcon(folder, icon));  // made above
    };

    if (deleteAll) {
        while (!form.numbers.empty()) {
            form.Select(0);
            form.SetCurrentButtonNumber(PaddedNumber(form.numbers.front()));
            DeleteButton(form);
            ++report.deleted;
        }
    }
    for (const ButtonSetEntry& e : contents->buttons) {
        const auto same = present.find(e.caption);
        if (same != present.end() && forExisting == ImportChoices::Existing::Skip) {
            ++report.skipped;
            report.skippedNames.push_back(e.caption);
            continue;
        }
        form.Fill(e.caption, e.action, copyOf(e.icon), copyOf(e.hotIcon));
        if (same != present.end()) {
            StoreButtonValues(form, PaddedNumber(form.numbers[static_cast<std::size_t>(same->second)]));
            ++report.replaced;
            choices.Made(report.created + report.replaced);
            continue;
        }
        const std::size_t count = form.numbers.size();
        try {
            CreateButton(form);
        } catch (const Failure& failure) {
            std::optional<std::wstring> number;
            if (form.numbers.size() > count) number = form.numbers.back();
            PutBack(before, number);
            FailForEntry(e, failure.Message());
        }
        if (form.numbers.size() == count) FailForEntry(e, L"ボタンを作成できませんでした");
        before.buttonDat = form.numbers.back();
        if (before.nextId) ++*before.nextId;
        ++report.created;
        choices.Made(report.created + report.replaced);
    }
}

std::wstring ImportSummary(const ImportReport& r) {
    std::wstring text = L"作成 " + std::to_wstring(r.created) + L" 個、置き換え " + std::to_wstring(r.replaced) +
                        L" 個、スキップ " + std::to_wstring(r.skipped) + L" 個";
    if (r.deleted) text += L"、削除 " + std::to_wstring(r.deleted) + L" 個";
    text += L"。";
    if (!r.skippedNames.empty()) {
        text += L"\r\n同じ名前のボタンがあるためスキップしました: ";
        for (std::size_t i = 0; i < r.skippedNames.size(); ++i) text += (i ? L"、" : L"") + r.skippedNames[i];
    }
    return text;
}

std::wstring CreateOneButton(const std::wstring& name, const std::wstring& target, const std::wstring& icon,
                             const std::wstring& hotIcon, Prompts& prompts) {
    DetachedButtonForm form(prompts);
    LoadCatalogue(form);
    const std::size_t count = form.numbers.size();
    form.Fill(name, target, icon, hotIcon);
    CreateButton(form);
    return form.numbers.size() > count ? form.numbers.back() : std::wstring();
}

void DeleteOneButton(const std::wstring& numberOrName, Prompts& prompts) {
    DetachedButtonForm form(prompts);
    LoadCatalogue(form);
    auto at = std::find(form.numbers.begin(), form.numbers.end(), numberOrName);
    std::size_t index = static_cast<std::size_t>(at - form.numbers.begin());
    if (at == form.numbers.end()) {
        const auto count = std::count(form.names.begin(), form.names.end(), numberOrName);
        if (count == 0) Fail(kNoSuchButton, numberOrName);
        if (count > 1) Fail(kNameNotOne, numberOrName);
        index = static_cast<std::size_t>(std::find(form.names.begin(), form.names.end(), numberOrName) - form.names.begin());
    }
    form.Select(static_cast<int>(index));
    form.SetCurrentButtonNumber(PaddedNumber(form.numbers[index]));
    DeleteButton(form);
}

}  // namespace orbelune
