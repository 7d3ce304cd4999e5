// Times the button set as data under Wine against the real registry:
// importing 10,000 buttons against creating the same buttons one after
// another through the store's create; listing and exporting 10,000 and
// 100,000 buttons against a plain loop that reads the same registry values.
// The cases of a size take turns; prints the medians of the ratios of each
// round's pair.
#include "store/button_operations.h"
#include "store/button_set.h"
#include "store/catalogue_load.h"
#include "store/detached_form.h"
#include "support/icon_library.h"
#include "support/scratch_registry.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace orbelune;

const std::wstring kCatalogue = L"\\Software\\Tollivern";
const std::wstring kExtensions = L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\";

struct Quiet final : Prompts {
    void Inform(std::wstring_view) override {}
    BoxResult Confirm(std::wstring_view) override { return BoxResult::Yes; }
    void Error(std::wstring_view) override {}
};
struct Skip final : ImportChoices {
    Existing ForExistingNames(std::size_t) override { return Existing::Skip; }
    bool DeleteButtonsPresent(std::size_t) override { return false; }
};

// A folder of its own under the temporary folder.
std::wstring NewFolder() {
    static int made = 0;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"orbelune-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                std::to_wstring(made++);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::wstring Name(int n) { return L"ボタン " + std::to_wstring(n); }

// A catalogue of its own with its program folder, empty.
struct Catalogue {
    Catalogue() {
        test::SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", app + L"\\");
        test::SetDword(HKEY_CURRENT_USER, kExtensions + L"CmdMapping", L"NextId", 20);
    }
    test::ScratchRegistry scratch;
    std::wstring app = NewFolder();
};

// `count` buttons written straight into the registry, as creates leave them.
void Fill(int count, const std::wstring& icon) {
    HKEY catalogue = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kCatalogue.substr(1).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &catalogue, nullptr);
    const auto put = [](HKEY key, const std::wstring& name, const std::wstring& text) {
        ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    };
    for (int n = 0; n < count; ++n) {
        put(catalogue, L"ButtonNum" + std::to_wstring(n), Name(n));
        wchar_t id[64];
        std::swprintf(id, 64, L"{%08d-0000-0000-0000-000000000000}", n);
        HKEY extension = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, (kExtensions.substr(1) + id).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &extension, nullptr);
        put(extension, L"ButtonText", Name(n));
        put(extension, L"CLSID", L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
        put(extension, L"Exec", L"C:\\Windows\\notepad.exe");
        put(extension, L"Icon", icon);
        put(extension, L"HotIcon", icon);
        ::RegCloseKey(extension);
    }
    put(catalogue, L"ButtonDat", std::to_wstring(count - 1));
    ::RegCloseKey(catalogue);
}

// The same values read with nothing around them: the catalogue's names and
// each extension key's three paths.
std::size_t PlainLoop(int count) {
    std::size_t chars = 0;
    HKEY catalogue = nullptr;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, kCatalogue.substr(1).c_str(), 0, KEY_READ, &catalogue);
    std::vector<wchar_t> name(256), data(4096);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = 256, dataSize = 4096 * sizeof(wchar_t), type = 0;
        if (::RegEnumValueW(catalogue, i, name.data(), &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &dataSize))
            break;
        chars += dataSize;
    }
    ::RegCloseKey(catalogue);
    for (int n = 0; n < count; ++n) {
        wchar_t id[64];
        std::swprintf(id, 64, L"{%08d-0000-0000-0000-000000000000}", n);
        HKEY extension = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, (kExtensions.substr(1) + id).c_str(), 0, KEY_READ, &extension)) continue;
        for (const wchar_t* value : {L"Exec", L"Icon", L"HotIcon"}) {
            DWORD size = 4096 * sizeof(wchar_t), type = 0;
            ::RegQueryValueExW(extension, value, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
            chars += size;
        }
        ::RegCloseKey(extension);
    }
    return chars;
}

// The buttons and the console companion's lines of them, in its pieces.
std::size_t Listing() {
    std::wstring out;
    std::size_t chars = 0;
    ForEachButton([&](const StoredButton& b) {
        for (const std::wstring* field : {&b.number, &b.name, &b.target, &b.icon}) out.append(*field).push_back(L'\t');
        out.append(b.hotIcon).append(L"\r\n");
        if (out.size() > 32768) chars += out.size(), out.clear();
    });
    return chars + out.size();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 5;
    const std::wstring files = NewFolder();
    const std::wstring icon = files + L"\\note.ico", set = files + L"\\set.ins", out = files + L"\\out.ins";
    WriteBytes(icon, test::IcoFile({{32, 32}}, 1));

    // Import against create, 10,000 buttons, each in an empty catalogue.
    constexpr int kImported = 10000;
    {
        Catalogue source;
        Fill(kImported, icon);
        ExportButtons(ListButtons(), set);
    }
    std::vector<double> creates, imports, ratios;
    for (int round = 0; round < rounds; ++round) {
        double create = 0, import = 0;
        for (int turn = 0; turn < 2; ++turn) {
            Catalogue catalogue;
            if ((turn == 0) == (round % 2 == 0)) {
                create = Seconds([&] {
                    Quiet quiet;
                    DetachedButtonForm form(quiet);
                    LoadCatalogue(form);
                    for (int n = 0; n < kImported; ++n) {
                        form.Fill(Name(n), L"C:\\Windows\\notepad.exe", icon, L"");
                        CreateButton(form);
                    }
                });
            } else {
                import = Seconds([&] {
                    Skip skip;
                    ImportReport report;
                    ImportButtons(set, skip, report);
                });
            }
        }
        creates.push_back(create);
        imports.push_back(import);
        ratios.push_back(import / create);
    }
    std::printf("import of %d buttons: median %.2f s; %d creates one after another: median %.2f s; "
                "ratio (median of %d rounds) %.2f (target at most 1.20)\n",
                kImported, Median(imports), kImported, Median(creates), rounds, Median(ratios));

    // List and export against the plain loop, 10,000 and 100,000 buttons.
    double listAt[2] = {0, 0}, exportAt[2] = {0, 0};
    const int sizes[] = {10000, 100000};
    for (int s = 0; s < 2; ++s) {
        Catalogue catalogue;
        Fill(sizes[s], icon);
        std::vector<double> plain, list, exported, listRatio, exportRatio;
        std::size_t sink = 0;
        for (int round = 0; round < rounds; ++round) {
            const double p = Seconds([&] { sink += PlainLoop(sizes[s]); });
            const double l = Seconds([&] { sink += Listing(); });
            const double e = Seconds([&] { sink += ExportButtons(ListButtons(), out).buttons; });
            plain.push_back(p), list.push_back(l), exported.push_back(e);
            listRatio.push_back(l / p), exportRatio.push_back(e / p);
        }
        listAt[s] = Median(list);
        exportAt[s] = Median(exported);
        std::printf("%d buttons: plain loop %.2f s, list %.2f s, export %.2f s (medians); ratios to the loop: list %.2f, "
                    "export %.2f (target at most 1.30) [%zu]\n",
                    sizes[s], Median(plain), Median(list), Median(exported), Median(listRatio), Median(exportRatio), sink % 10);
    }
    std::printf("100,000 against 10,000: list %.1fx, export %.1fx (linear: at most 12)\n", listAt[1] / listAt[0],
                exportAt[1] / exportAt[0]);
    return 0;
}
