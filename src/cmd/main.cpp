// OrbeluneCmd: the button set from the command line, through the same store
// operations as the main window. Exit code 0 on success, 1 when the command
// failed (the message on standard error), 2 for a usage error. It never
// waits for an answer: the window's questions are options here.

#include "cmd/console.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "store/button_set.h"
#include "store/catalogue_load.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orbelune {

namespace {

enum ExitCode { kSucceeded = 0, kFailed = 1, kUsageError = 2 };

constexpr wchar_t kUsage[] =
    L"使い方:\r\n"
    L"  OrbeluneCmd list\r\n"
    L"      ボタンを 1 行に 1 つ、番号・名前・リンク先・アイコン・ホットアイコンをタブ区切りで表示します。\r\n"
    L"  OrbeluneCmd export FILE\r\n"
    L"      すべてのボタンを FILE（[BrowserToolbars] 形式）に書き出し、アイコンをその横にコピーします。\r\n"
    L"  OrbeluneCmd import FILE [--replace | --skip] [--delete-buttons]\r\n"
    L"      FILE のボタンを作成します。同じ名前のボタンがあるときは --replace（置き換え）か --skip（スキップ）を指定します。\r\n"
    L"      --delete-buttons: FILE の DeleteButtons=1 に従い、今あるボタンを先に削除します。\r\n"
    L"  OrbeluneCmd create --name NAME --target TARGET --icon ICON [--hot-icon HOTICON] [--missing-icon-ok]\r\n"
    L"      ボタンを 1 つ作成します。--missing-icon-ok: アイコン ファイルがなくても作成します。\r\n"
    L"  OrbeluneCmd delete NAME-or-NUMBER\r\n"
    L"      番号（list の 1 列目）または名前でボタンを削除します。\r\n"
    L"終了コード: 0 成功、1 失敗（標準エラーにメッセージ）、2 使い方の誤り。\r\n";

struct UsageError {
    std::wstring message;
};

// The words after the command: options with a value, flags, and the rest.
struct Arguments {
    std::map<std::wstring, std::wstring> values;
    std::vector<std::wstring> flags, rest;

    bool Has(const std::wstring& flag) const {
        for (const auto& f : flags)
            if (f == flag) return true;
        return false;
    }
    std::wstring Value(const std::wstring& name, bool required) const {
        const auto found = values.find(name);
        if (found == values.end()) {
            if (required) throw UsageError{name + L" がありません。"};
            return {};
        }
        return found->second;
    }
};

Arguments Parse(const std::vector<std::wstring>& words, const std::vector<std::wstring>& valueOptions,
                const std::vector<std::wstring>& flagOptions, std::size_t restCount) {
    Arguments a;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::wstring& w = words[i];
        if (w.size() > 2 && w.compare(0, 2, L"--") == 0) {
            bool known = false;
            for (const auto& option : valueOptions)
                if (option == w) {
                    if (i + 1 >= words.size()) throw UsageError{w + L" の値がありません。"};
                    a.values[w] = words[++i];
                    known = true;
                }
            for (const auto& option : flagOptions)
                if (option == w) {
                    a.flags.push_back(w);
                    known = true;
                }
            if (!known) throw UsageError{L"不明なオプション: " + w};
        } else {
            a.rest.push_back(w);
        }
    }
    if (a.rest.size() != restCount) throw UsageError{L"引数の数が正しくありません。"};
    return a;
}

// The store's questions answered by the command's options: no prompt waits.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): final, and the base's destructor is protected
class CommandPrompts final : public Prompts {
public:
    explicit CommandPrompts(bool missingIconOk) : missingIconOk_(missingIconOk) {}
    void Inform(std::wstring_view text) override { throw Failure(std::wstring(text)); }
    BoxResult Confirm(std::wstring_view text) override {
        if (missingIconOk_) return BoxResult::Yes;
        throw Failure(std::wstring(text) + L"（続けるには --missing-icon-ok を指定します）");
    }
    void Error(std::wstring_view text) override { throw Failure(std::wstring(text)); }

private:
    bool missingIconOk_;
};

// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): final, and the base's destructor is protected
class CommandImportChoices final : public ImportChoices {
public:
    CommandImportChoices(std::optional<Existing> existing, bool deleteButtons)
        : existing_(existing), deleteButtons_(deleteButtons) {}
    Existing ForExistingNames(std::size_t count) override {
        if (existing_) return *existing_;
        throw Failure(L"同じ名前のボタンが " + std::to_wstring(count) +
                      L" 個あります。--replace（置き換え）か --skip（スキップ）を指定してください。ボタンは作成されていません");
    }
    bool DeleteButtonsPresent(std::size_t) override { return deleteButtons_; }

private:
    std::optional<Existing> existing_;
    bool deleteButtons_;
};

int List() {
    std::wstring out;
    ForEachButton([&](const StoredButton& b) {
        for (const std::wstring* field : {&b.number, &b.name, &b.target, &b.icon}) out.append(*field).push_back(L'\t');
        out.append(b.hotIcon).append(L"\r\n");
        if (out.size() > 32768) {
            Write(Stream::Output, out);
            out.clear();
        }
    });
    Write(Stream::Output, out);
    return kSucceeded;
}

int Export(const Arguments& a) {
    const ExportReport report = ExportButtons(ListButtons(), a.rest[0]);
    for (const std::wstring& icon : report.missingIcons)
        WriteLine(Stream::Error, L"アイコン ファイルがありません: " + icon);
    WriteLine(Stream::Output, L"書き出し " + std::to_wstring(report.buttons) + L" 個、アイコンのコピー " +
                                  std::to_wstring(report.iconsCopied) + L" 個。");
    return kSucceeded;
}

int Import(const Arguments& a) {
    if (a.Has(L"--replace") && a.Has(L"--skip")) throw UsageError{L"--replace と --skip は同時に指定できません。"};
    std::optional<ImportChoices::Existing> existing;
    if (a.Has(L"--replace")) existing = ImportChoices::Existing::Replace;
    if (a.Has(L"--skip")) existing = ImportChoices::Existing::Skip;
    CommandImportChoices choices(existing, a.Has(L"--delete-buttons"));
    RecordProgramFolder(ProgramFolder());
    ImportReport report;
    try {
        ImportButtons(a.rest[0], choices, report);
    } catch (const Failure&) {
        if (report.created || report.replaced) WriteLine(Stream::Error, ImportSummary(report));
        throw;
    }
    WriteLine(Stream::Output, ImportSummary(report));
    return kSucceeded;
}

int Create(const Arguments& a) {
    CommandPrompts prompts(a.Has(L"--missing-icon-ok"));
    RecordProgramFolder(ProgramFolder());
    const std::wstring name = a.Value(L"--name", true), target = a.Value(L"--target", true);
    const std::wstring icon = a.Value(L"--icon", true), hotIcon = a.Value(L"--hot-icon", false);
    const std::wstring number = CreateOneButton(name, target, icon, hotIcon, prompts);
    if (number.empty()) throw Failure(L"ボタンは作成されませんでした。");
    WriteLine(Stream::Output, number);
    return kSucceeded;
}

int Delete(const Arguments& a) {
    CommandPrompts prompts(false);
    DeleteOneButton(a.rest[0], prompts);
    return kSucceeded;
}

int Run(const std::vector<std::wstring>& words) {
    if (words.empty()) throw UsageError{L"コマンドがありません。"};
    const std::wstring& command = words[0];
    if (command == L"--help" || command == L"/?" || command == L"-h" || command == L"help") {
        Write(Stream::Output, kUsage);
        return kSucceeded;
    }
    const std::vector<std::wstring> rest(words.begin() + 1, words.end());
    if (command == L"list") {
        Parse(rest, {}, {}, 0);
        return List();
    }
    if (command == L"export") return Export(Parse(rest, {}, {}, 1));
    if (command == L"import") return Import(Parse(rest, {}, {L"--replace", L"--skip", L"--delete-buttons"}, 1));
    if (command == L"create")
        return Create(Parse(rest, {L"--name", L"--target", L"--icon", L"--hot-icon"}, {L"--missing-icon-ok"}, 0));
    if (command == L"delete") return Delete(Parse(rest, {}, {}, 1));
    throw UsageError{L"不明なコマンド: " + command};
}

}  // namespace

}  // namespace orbelune

int wmain(int argc, wchar_t** argv) {
    using namespace orbelune;
    const std::vector<std::wstring> words(argv + 1, argv + argc);
    try {
        return Run(words);
    } catch (const UsageError& e) {
        WriteLine(Stream::Error, e.message);
        Write(Stream::Error, kUsage);
        return kUsageError;
    } catch (const Failure& e) {
        WriteLine(Stream::Error, e.Message());
        return kFailed;
    } catch (const std::exception&) {
        WriteLine(Stream::Error, L"予期しないエラーが発生しました。");
        return kFailed;
    }
}
