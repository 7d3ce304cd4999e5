// Orbelune-setup.exe and the uninstaller it writes, vesk_uninst.exe, as a
// user and Windows meet them: silent installs and uninstalls into the Wine
// prefix's own Program Files, registry and Start menu, the installed program
// started once, and the user's icons and buttons kept through an upgrade and
// an uninstall. Each case runs in a prefix of its own (fresh_prefix.sh).
#include "platform/handle.h"
#include "support/gui.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace orbelune;
namespace fs = std::filesystem;

const std::wstring kCatalogue = L"\\Software\\Tollivern";
const std::wstring kUninstallList = L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kUninstall = kUninstallList + L"\\vesk";
const std::wstring kInternetExplorer = L"\\Software\\Microsoft\\Internet Explorer";
const std::wstring kExtensions = kInternetExplorer + L"\\Extensions";
const std::wstring kCmdMapping = kExtensions + L"\\CmdMapping";
const std::wstring kButton0 = L"{00000000-0000-0000-0000-000000000000}";

inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void ReleaseLibrary(HMODULE h) noexcept { ::FreeLibrary(h); }
using UniqueHandle = Unique<NullTraits<HANDLE, &CloseKernelHandle>>;
using UniqueModule = Unique<NullTraits<HMODULE, &ReleaseLibrary>>;

std::wstring WindowsPath(const wchar_t* unixPath) {
    std::wstring path = std::wstring(L"Z:") + unixPath;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}
const std::wstring kSetup = WindowsPath(ORBELUNE_SETUP);
const std::wstring kBuiltProgram = WindowsPath(ORBELUNE_EXE);
const std::wstring kBuiltCompanion = WindowsPath(ORBELUNE_CMD);

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring LongName(const std::wstring& path) {
    wchar_t name[MAX_PATH] = {};
    return ::GetLongPathNameW(path.c_str(), name, MAX_PATH) ? name : L"(no such file) " + path;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Runs a command line and waits until it has ended together with every
// process it started: the silent uninstaller hands its work to a copy of
// itself in TEMP and returns at once. Meanwhile runs whileRunning, if given.
// The exit code of the first process.
DWORD RunToTheEnd(std::wstring commandLine, double* seconds = nullptr,
                  const std::function<void()>& whileRunning = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!job || !::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                  nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start the command, error " << ::GetLastError();
        return 0xFFFFFFFF;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    EXPECT_TRUE(::AssignProcessToJobObject(job.Get(), process.Get())) << "error " << ::GetLastError();
    ::ResumeThread(thread.Get());
    if (whileRunning) whileRunning();
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    for (int i = 0; i < 3000; ++i) {  // 60 s
        ::QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &info, sizeof info, nullptr);
        if (info.ActiveProcesses == 0) break;
        ::Sleep(20);
    }
    EXPECT_EQ(info.ActiveProcesses, 0u) << "still running after 60 s";
    if (info.ActiveProcesses) ::TerminateJobObject(job.Get(), 99);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.Get(), &code);
    if (seconds) *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return code;
}

DWORD Install(const std::wstring& folder = {}) {
    double seconds = 0;
    const DWORD code = RunToTheEnd(Quoted(kSetup) + L" /S" + (folder.empty() ? L"" : L" /D=" + folder), &seconds);
    std::cout << "silent install: " << seconds << " s\n";
    return code;
}

// Uninstalls as Windows does in its list of programs, quietly.
DWORD Uninstall() {
    const auto command = test::GetString(HKEY_LOCAL_MACHINE, kUninstall, L"QuietUninstallString");
    if (!command) {
        ADD_FAILURE() << "no QuietUninstallString";
        return 0xFFFFFFFF;
    }
    double seconds = 0;
    const DWORD code = RunToTheEnd(*command, &seconds);
    std::cout << "silent uninstall: " << seconds << " s\n";
    return code;
}

HWND WaitForWindow(const wchar_t* windowClass) {
    for (int i = 0; i < 500; ++i) {  // 10 s
        HWND h = ::FindWindowW(windowClass, nullptr);
        if (h && ::IsWindowVisible(h)) return h;
        ::Sleep(20);
    }
    return nullptr;
}

// A window's text, also of another process's control.
std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

// Orbelune started as its own process, from its main window's appearance
// until the user closes it.
class RunningProgram {
public:
    explicit RunningProgram(const std::wstring& program) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring command = Quoted(program);
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            ADD_FAILURE() << "cannot start the program, error " << ::GetLastError();
            return;
        }
        process_.Reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
        mainWindow_ = WaitForWindow(L"TForm1");
        EXPECT_TRUE(mainWindow_) << "no main window";
    }
    ~RunningProgram() {
        if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(process_.Get(), 99);
    }
    // Closes the main window: the program's exit code.
    DWORD Close() {
        if (!process_) return 0xFFFFFFFF;
        if (mainWindow_) ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
        ::WaitForSingleObject(process_.Get(), 10000);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.Get(), &code);
        return code;
    }

private:
    UniqueHandle process_;
    HWND mainWindow_ = nullptr;
};

// Everything below a folder, relative to it, folders ending in "\".
std::vector<std::wstring> Listing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::wstring name = it->path().lexically_relative(folder).wstring();
        if (it->is_directory()) name += L"\\";
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every key and value below a key, one line each, sorted.
void DumpKey(HKEY key, const std::wstring& path, std::vector<std::wstring>& lines) {
    lines.push_back(path);
    for (const auto& name : test::ValueNames(key, L"")) {
        const auto value = test::GetRaw(key, L"", name);
        std::wstring line = path + L" : " + name + L" = type " + std::to_wstring(value->type) + L":";
        for (BYTE b : value->data) line += L" " + std::to_wstring(b);
        lines.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t child[256];
        DWORD length = 256;
        if (::RegEnumKeyExW(key, i, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        UniqueHKey sub;
        if (::RegOpenKeyExW(key, child, 0, KEY_READ, sub.Put()) == ERROR_SUCCESS)
            DumpKey(sub.Get(), path + L"\\" + child, lines);
    }
}
// A key's values and subkeys as sorted lines; none when it is absent.
std::vector<std::wstring> Dump(HKEY root, const std::wstring& path, REGSAM view = 0) {
    std::vector<std::wstring> lines;
    UniqueHKey key;
    if (::RegOpenKeyExW(root, path.c_str() + 1, 0, KEY_READ | view, key.Put()) == ERROR_SUCCESS)
        DumpKey(key.Get(), path, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}
// The user's registry data that no installer or uninstaller may touch: the
// catalogue but for AppPath, and Internet Explorer's extension keys.
std::vector<std::wstring> UsersRegistry() {
    std::vector<std::wstring> lines = Dump(HKEY_CURRENT_USER, kInternetExplorer);
    for (auto& line : Dump(HKEY_CURRENT_USER, kCatalogue))
        if (line.find(L" : AppPath = ") == std::wstring::npos) lines.push_back(line);
    return lines;
}

FILETIME LastWritten(HKEY root, const std::wstring& path) {
    FILETIME time{};
    UniqueHKey key;
    if (::RegOpenKeyExW(root, path.c_str() + 1, 0, KEY_READ, key.Put()) == ERROR_SUCCESS)
        ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, &time);
    return time;
}

// A string of a file's version resource, in its first translation.
std::wstring VersionText(const std::wstring& file, const wchar_t* name) {
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(file.c_str(), &ignored));
    if (block.empty() || !::GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        return L"(no version resource)";
    void* found = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &found, &length) || length < 4)
        return L"(no translation)";
    const auto* translation = static_cast<const WORD*>(found);
    wchar_t query[96];
    std::swprintf(query, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
    if (!::VerQueryValueW(block.data(), query, &found, &length)) return L"(no " + std::wstring(name) + L")";
    return static_cast<const wchar_t*>(found);
}

// A resource name that outlives the enumeration that found it.
struct ResourceName {
    std::wstring text;
    WORD id = 0;
    LPCWSTR Get() const { return text.empty() ? MAKEINTRESOURCEW(id) : text.c_str(); }
};

BOOL CALLBACK TakeFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    auto& first = *reinterpret_cast<std::optional<ResourceName>*>(found);
    first = IS_INTRESOURCE(name) ? ResourceName{L"", LOWORD(reinterpret_cast<ULONG_PTR>(name))} : ResourceName{name, 0};
    return FALSE;
}

// The images of a file's first icon group by width, height and bit count,
// each as its bytes.
std::map<std::tuple<int, int, int>, std::string> IconImages(const std::wstring& file) {
    std::map<std::tuple<int, int, int>, std::string> images;
    UniqueModule module(::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    std::optional<ResourceName> group;
    if (!module) return images;
    ::EnumResourceNamesW(module.Get(), MAKEINTRESOURCEW(14), TakeFirstName, reinterpret_cast<LONG_PTR>(&group));
    auto bytes = [&](LPCWSTR name, LPCWSTR type) {
        HRSRC info = ::FindResourceW(module.Get(), name, type);
        HGLOBAL data = info ? ::LoadResource(module.Get(), info) : nullptr;
        return data ? std::string(static_cast<const char*>(::LockResource(data)), ::SizeofResource(module.Get(), info))
                    : std::string();
    };
    if (!group) return images;
    const std::string directory = bytes(group->Get(), MAKEINTRESOURCEW(14));
    for (std::size_t at = 6; at + 14 <= directory.size(); at += 14) {
        const auto* entry = reinterpret_cast<const unsigned char*>(directory.data() + at);
        const int width = entry[0] ? entry[0] : 256, height = entry[1] ? entry[1] : 256;
        const int bits = entry[6] | entry[7] << 8, id = entry[12] | entry[13] << 8;
        images[{width, height, bits}] = bytes(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
    }
    return images;
}

// The target of a shell link, from the item list it holds, or empty when it
// cannot be read.
std::wstring ShortcutTarget(const std::wstring& link) {
    IShellLinkW* shellLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&shellLink))))
        return {};
    std::wstring target;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        PIDLIST_ABSOLUTE items = nullptr;
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(persist->Load(link.c_str(), STGM_READ)) && SUCCEEDED(shellLink->GetIDList(&items)) &&
            ::SHGetPathFromIDListW(items, path))
            target = path;
        ::CoTaskMemFree(items);
        persist->Release();
    }
    shellLink->Release();
    return target;
}

// A raw value as the test helpers read it: type and content together.
std::wstring Value(HKEY root, const std::wstring& path, const std::wstring& name) {
    const auto raw = test::GetRaw(root, path, name);
    if (!raw) return L"(absent)";
    if (raw->type == REG_DWORD && raw->data.size() == 4)
        return L"REG_DWORD " + std::to_wstring(*test::GetDword(root, path, name));
    if (raw->type == REG_SZ) return L"REG_SZ " + *test::GetString(root, path, name);
    return L"type " + std::to_wstring(raw->type);
}

class InstallerTest : public testing::Test {
protected:
    InstallerTest() {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // Nothing of Orbelune's in this prefix: a computer that never had it.
        test::DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue);
        test::DeleteKeyTree(HKEY_CURRENT_USER, kExtensions);
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstall);
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstall.c_str() + 1, KEY_WOW64_64KEY, 0);
    }
    ~InstallerTest() override { ::CoUninitialize(); }

    // In the Start menu of all users.
    const std::wstring shortcut_ = KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Orbelune.lnk";

    // Everything the installer writes for an installation in a folder.
    void ExpectInstalledIn(const std::wstring& folder) {
        SCOPED_TRACE(testing::Message() << "installed in " << testing::PrintToString(folder));
        const std::wstring program = folder + L"\\Orbelune.exe";
        const std::wstring uninstaller = folder + L"\\vesk_uninst.exe";
        EXPECT_EQ(Listing(folder), (std::vector<std::wstring>{L"Orbelune.exe", L"OrbeluneCmd.exe", L"icon\\", L"vesk_uninst.exe"}));
        EXPECT_EQ(test::ReadFileBytes(program), test::ReadFileBytes(kBuiltProgram));
        EXPECT_EQ(test::ReadFileBytes(folder + L"\\OrbeluneCmd.exe"), test::ReadFileBytes(kBuiltCompanion));
        EXPECT_EQ(LongName(ShortcutTarget(shortcut_)), LongName(program));

        EXPECT_EQ(Value(HKEY_CURRENT_USER, kCatalogue, L"AppPath"), L"REG_SZ " + folder + L"\\");
        const std::wstring version = VersionText(program, L"ProductVersion");
        const auto size = static_cast<DWORD>((fs::file_size(program) + 1023) / 1024 +
                                             (fs::file_size(kBuiltCompanion) + 1023) / 1024);
        const std::map<std::wstring, std::wstring> expected = {
            // Exactly as the program forms it at every start.
            {L"UninstallString", L"REG_SZ \"" + uninstaller + L"\""},
            {L"QuietUninstallString", L"REG_SZ \"" + uninstaller + L"\" /S"},
            {L"DisplayName", L"REG_SZ Orbelune"},
            {L"DisplayVersion", L"REG_SZ " + version},
            {L"DisplayIcon", L"REG_SZ " + program},
            {L"Publisher", L"REG_SZ Tollivern"},
            {L"InstallLocation", L"REG_SZ " + folder},
            {L"EstimatedSize", L"REG_DWORD " + std::to_wstring(size)},
            {L"NoModify", L"REG_DWORD 1"},
            {L"NoRepair", L"REG_DWORD 1"},
        };
        std::map<std::wstring, std::wstring> found;
        for (const auto& name : test::ValueNames(HKEY_LOCAL_MACHINE, kUninstall))
            found[name] = Value(HKEY_LOCAL_MACHINE, kUninstall, name);
        EXPECT_EQ(found, expected);
        // In the 32-bit view that the 32-bit program reads; on 64-bit
        // Windows that is Wow6432Node, not the 64-bit view.
        EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, kUninstall, KEY_WOW64_64KEY), std::vector<std::wstring>{});
        EXPECT_FALSE(Dump(HKEY_LOCAL_MACHINE, L"\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vesk",
                          KEY_WOW64_64KEY)
                         .empty());
        EXPECT_EQ(version, VersionText(kSetup, L"ProductVersion"));
        EXPECT_EQ(version, VersionText(uninstaller, L"ProductVersion"));
        EXPECT_TRUE(IconImages(uninstaller) == IconImages(program)) << "the uninstaller's icon differs from the program's";
    }
};

TEST(Setup, CarriesTheProgramsIconAndVersion) {
    EXPECT_EQ(VersionText(kSetup, L"ProductName"), L"Orbelune");
    EXPECT_EQ(VersionText(kSetup, L"CompanyName"), L"Tollivern");
    EXPECT_EQ(VersionText(kSetup, L"FileDescription"), L"Orbelune セットアップ");
    EXPECT_EQ(VersionText(kSetup, L"ProductVersion"), VersionText(kBuiltProgram, L"ProductVersion"));
    EXPECT_EQ(VersionText(kSetup, L"FileVersion"), VersionText(kBuiltProgram, L"FileVersion"));
    const auto images = IconImages(kBuiltProgram);
    EXPECT_EQ(images.size(), 3u);
    EXPECT_TRUE(IconImages(kSetup) == images) << "the installer's icon differs from the program's";
}

TEST_F(InstallerTest, InstallsRunsMovesAndUninstallsKeepingTheUsersData) {
    const std::vector<std::wstring> otherPrograms = Dump(HKEY_LOCAL_MACHINE, kUninstallList);

    // Internet Explorer's command mapping, with another extension's button.
    test::SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 20);
    test::SetDword(HKEY_CURRENT_USER, kCmdMapping, L"{5E5D2CA9-5A73-4A27-A4A3-6B3E3A4F0C11}", 19);

    ASSERT_EQ(Install(), 0u);
    const std::wstring first = KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Orbelune";
    ExpectInstalledIn(first);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kCatalogue), std::vector<std::wstring>{L"AppPath"});

    // The first start by a user other than the one who installed (who has
    // no AppPath) records its values and its folder, and finds the
    // uninstall command as it expects it: nothing to repair, the key is not
    // written.
    const FILETIME written = LastWritten(HKEY_LOCAL_MACHINE, kUninstall);
    test::DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue);
    {
        RunningProgram program(first + L"\\Orbelune.exe");
        // While it runs, it is neither replaced nor uninstalled.
        EXPECT_EQ(Install(), 2u);
        EXPECT_EQ(Uninstall(), 0u);
        ExpectInstalledIn(first);
        EXPECT_EQ(program.Close(), 0u);
    }
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kCatalogue, L"NextIdDef"), L"REG_DWORD 20");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kCatalogue, L"CmdCount"), L"REG_DWORD 2");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kCatalogue, L"AppPath"), L"REG_SZ " + first + L"\\");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString"),
              L"REG_SZ \"" + first + L"\\vesk_uninst.exe\"");
    const FILETIME after = LastWritten(HKEY_LOCAL_MACHINE, kUninstall);
    EXPECT_EQ(::CompareFileTime(&written, &after), 0) << "the program rewrote the uninstall key";

    // The user saves an icon into the icon folder and makes a button with it.
    const std::wstring firstIcon = first + L"\\icon\\note.ico";
    const auto iconBytes = test::IconFileBytes(32, RGB(200, 40, 40));
    test::WriteFileBytes(firstIcon, iconBytes);
    const std::wstring button = kExtensions + L"\\" + kButton0;
    test::SetDword(HKEY_CURRENT_USER, kCmdMapping, kButton0, 20);
    test::SetDword(HKEY_CURRENT_USER, kCmdMapping, L"NextId", 21);
    test::SetString(HKEY_CURRENT_USER, button, L"ButtonText", L"メモ帳");
    test::SetString(HKEY_CURRENT_USER, button, L"CLSID", L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
    test::SetString(HKEY_CURRENT_USER, button, L"Exec", L"C:\\windows\\notepad.exe");
    test::SetString(HKEY_CURRENT_USER, button, L"Icon", firstIcon);
    test::SetString(HKEY_CURRENT_USER, button, L"HotIcon", firstIcon);
    test::SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"0");
    test::SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum0", L"メモ帳");
    const std::vector<std::wstring> users = UsersRegistry();

    // Installed again into another folder: the program moves there, AppPath
    // and the uninstall key follow, and the old folder keeps the user's icon.
    const std::wstring second = L"C:\\Orbelune Tools\\ボタン";
    const std::wstring oldUninstaller = first + L"\\vesk_uninst.exe";
    const auto oldUninstallerBytes = test::ReadFileBytes(oldUninstaller);
    ASSERT_EQ(Install(second), 0u);
    ExpectInstalledIn(second);
    EXPECT_EQ(Listing(first), (std::vector<std::wstring>{L"icon\\", L"icon\\note.ico"}));
    EXPECT_EQ(test::ReadFileBytes(firstIcon), iconBytes);
    EXPECT_EQ(UsersRegistry(), users);

    // An uninstaller left in the old folder (a copy kept, a restore) and
    // run: the installation that moved on keeps its entry, shortcut and
    // AppPath.
    test::WriteFileBytes(oldUninstaller, oldUninstallerBytes);
    EXPECT_EQ(RunToTheEnd(Quoted(oldUninstaller) + L" /S"), 0u);
    EXPECT_EQ(Listing(first), (std::vector<std::wstring>{L"icon\\", L"icon\\note.ico"}));
    ExpectInstalledIn(second);

    // Uninstalled with an icon of the user's in the new icon folder: the
    // installer's things go, the user's stay.
    const std::wstring secondIcon = second + L"\\icon\\calc.ico";
    test::WriteFileBytes(secondIcon, iconBytes);
    EXPECT_EQ(Uninstall(), 0u);
    EXPECT_EQ(Listing(second), (std::vector<std::wstring>{L"icon\\", L"icon\\calc.ico"}));
    EXPECT_EQ(test::ReadFileBytes(secondIcon), iconBytes);
    EXPECT_EQ(Listing(first), (std::vector<std::wstring>{L"icon\\", L"icon\\note.ico"}));
    EXPECT_FALSE(fs::exists(shortcut_));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kCatalogue, L"AppPath"), L"(absent)");
    EXPECT_EQ(UsersRegistry(), users);
    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, kUninstallList), otherPrograms);
}

TEST_F(InstallerTest, UninstallerAsksThenLeavesNothingOfAnUntouchedInstallation) {
    const std::vector<std::wstring> otherPrograms = Dump(HKEY_LOCAL_MACHINE, kUninstallList);
    const std::wstring folder = L"C:\\Orbelune Test";
    ASSERT_EQ(Install(folder), 0u);
    ExpectInstalledIn(folder);

    // Started as Windows starts it, the uninstaller asks first, in
    // Japanese; declined, it removes nothing.
    const auto command = test::GetString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString");
    ASSERT_TRUE(command);
    std::wstring caption, question;
    RunToTheEnd(*command, nullptr, [&] {
        HWND wizard = WaitForWindow(L"#32770");
        if (!wizard) return;
        caption = TextOf(wizard);
        // The page fills its fields once shown.
        for (int i = 0; i < 100 && question.find(folder) == std::wstring::npos; ++i, ::Sleep(20)) {
            question.clear();
            for (HWND page = ::FindWindowExW(wizard, nullptr, L"#32770", nullptr); page;
                 page = ::FindWindowExW(wizard, page, L"#32770", nullptr))
                for (HWND text = ::GetWindow(page, GW_CHILD); text; text = ::GetWindow(text, GW_HWNDNEXT))
                    question += TextOf(text) + L"\n";
        }
        ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(caption.rfind(L"Orbelune アンインストール", 0), 0u) << testing::PrintToString(caption);
    EXPECT_NE(question.find(L"アンインストール"), std::wstring::npos) << testing::PrintToString(question);
    EXPECT_NE(question.find(folder), std::wstring::npos) << testing::PrintToString(question);
    ExpectInstalledIn(folder);

    // Installed again into the same folder under another name of it, with
    // the entry's folder changed to one of the user's that holds programs
    // under the installation's names, one of them by its version of another
    // product or publisher (a name in capitals): they are not that
    // installation's, and stay. Then the entry names the same folder by its
    // long name: what is in it is the installation itself.
    const std::wstring users = KnownFolder(CSIDL_PERSONAL) + L"\\Tools";
    ::CreateDirectoryW(users.c_str(), nullptr);
    const auto ours = test::ReadFileBytes(kBuiltProgram);
    const auto capitals = [&](const std::string& name) {  // each UTF-16 text of the name in capitals
        auto bytes = ours;
        std::string from, to;
        for (const char c : name) from += {c, '\0'}, to += {static_cast<char>(std::toupper(static_cast<unsigned char>(c))), '\0'};
        for (auto at = bytes.begin(); (at = std::search(at, bytes.end(), from.begin(), from.end())) != bytes.end();)
            at = std::copy(to.begin(), to.end(), at);
        return bytes;
    };
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameW(folder.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(folder, shortName);
    for (const auto& [program, uninstaller] : {std::pair{capitals("Tollivern"), ours}, {ours, capitals("Orbelune")}}) {
        test::WriteFileBytes(users + L"\\Orbelune.exe", program);
        test::WriteFileBytes(users + L"\\vesk_uninst.exe", uninstaller);
        ASSERT_NE(VersionText(users + L"\\Orbelune.exe", L"CompanyName") + VersionText(users + L"\\vesk_uninst.exe", L"ProductName"),
                  L"TollivernOrbelune");
        test::SetString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", users);
        ASSERT_EQ(Install(shortName), 0u);
        ExpectInstalledIn(shortName);
        EXPECT_EQ(test::ReadFileBytes(users + L"\\Orbelune.exe"), program);
        EXPECT_EQ(test::ReadFileBytes(users + L"\\vesk_uninst.exe"), uninstaller);
    }
    test::SetString(HKEY_LOCAL_MACHINE, kUninstall, L"InstallLocation", folder);
    ASSERT_EQ(Install(shortName), 0u);
    ExpectInstalledIn(shortName);

    EXPECT_EQ(Uninstall(), 0u);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(fs::exists(shortcut_));
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kCatalogue));
    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, kUninstallList), otherPrograms);
}

}  // namespace
