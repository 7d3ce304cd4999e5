// Starts the real Orbelune.exe as its own process in the test prefix and
// watches it from outside: start-up order, the failure box of the load,
// and the exit code. These tests use the prefix's own current-user hive, so
// they never run in parallel with each other.
#include "support/gui.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

using namespace orbelune;

const std::wstring kCatalogue = L"\\Software\\Tollivern";

std::wstring WindowsPath(std::wstring unixPath) {
    for (auto& c : unixPath)
        if (c == L'/') c = L'\\';
    return L"Z:" + unixPath;
}

std::wstring ProgramPath() { return WindowsPath(ORBELUNE_EXE); }

// The 64-bit flavour, built beside this one (scripts/test.sh builds both).
std::wstring Program64Path() { return WindowsPath(ORBELUNE_EXE_X86_64); }

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HWND WaitForWindow(const wchar_t* cls, const wchar_t* title, bool mustBeVisible, DWORD timeoutMs = 10000) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        HWND h = ::FindWindowW(cls, title);
        if (h && (!mustBeVisible || ::IsWindowVisible(h))) return h;
        ::Sleep(20);
    }
    return nullptr;
}

class Program {
public:
    explicit Program(const std::wstring& path = ProgramPath()) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring command = L"\"" + path + L"\"";
        started_ = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
    }
    ~Program() {
        if (!started_) return;
        if (::WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi_.hProcess, 99);
        ::CloseHandle(pi_.hThread);
        ::CloseHandle(pi_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD WaitForInputIdle(DWORD timeoutMs = 10000) { return ::WaitForInputIdle(pi_.hProcess, timeoutMs); }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs = 10000) {
        ::WaitForSingleObject(pi_.hProcess, timeoutMs);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

// Clears the prefix's own catalogue before and after each test.
class StartupTest : public testing::Test {
protected:
    StartupTest() { Clean(); }
    ~StartupTest() override { Clean(); }
    static void Clean() {
        test::DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue);
        test::DeleteKeyTree(HKEY_CURRENT_USER, L"\\Software\\Microsoft\\Internet Explorer\\Extensions");
    }
};

std::wstring TextOf(HWND h) {
    wchar_t buffer[512] = {};
    ::SendMessageW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

TEST_F(StartupTest, StartsWithTheCatalogueAndExitsWithZeroWhenClosed) {
    test::SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"1");
    test::SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum0", L"メモ帳");
    test::SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonNum1", L"電卓");
    Program program;
    ASSERT_TRUE(program.Started());
    HWND mainWindow = WaitForWindow(L"TForm1", nullptr, true);
    ASSERT_TRUE(mainWindow);
    EXPECT_EQ(TextOf(mainWindow), L"Orbelune  Ver 1.0");

    // One task-bar entry, the application window's, under the title.
    HWND app = ::GetWindow(mainWindow, GW_OWNER);
    ASSERT_TRUE(app);
    EXPECT_EQ(TextOf(app), L"Orbelune");
    // The hidden windows are made once the main window is painted, before
    // the program waits for its first input.
    ASSERT_EQ(program.WaitForInputIdle(), 0u);
    HWND linkBrowser = ::FindWindowW(L"TForm2", nullptr);
    HWND iconPicker = ::FindWindowW(L"TForm3", nullptr);
    ASSERT_TRUE(linkBrowser && iconPicker);
    EXPECT_FALSE(::IsWindowVisible(linkBrowser));
    EXPECT_FALSE(::IsWindowVisible(iconPicker));
    EXPECT_EQ(::GetWindow(linkBrowser, GW_OWNER), app);

    HWND list = ::GetDlgItem(mainWindow, 102);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    wchar_t name[64] = {};
    ::SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, L"電卓");

    ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
    // The user had no AppPath: the program recorded its own folder.
    const std::wstring path = ProgramPath();
    EXPECT_EQ(test::GetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath"), path.substr(0, path.rfind(L'\\') + 1));
}

// The hidden windows are made once the main window is shown and painted:
// when the first of them is there, the main window is on the screen with
// nothing left to paint.
TEST_F(StartupTest, HiddenWindowsAreMadeAfterTheMainWindowIsPainted) {
    Program program;
    ASSERT_TRUE(program.Started());
    for (const DWORD start = ::GetTickCount(); !::FindWindowW(L"TForm2", nullptr) && ::GetTickCount() - start < 10000;) {}
    HWND mainWindow = ::FindWindowW(L"TForm1", nullptr);
    ASSERT_TRUE(mainWindow);
    EXPECT_TRUE(::IsWindowVisible(mainWindow));
    EXPECT_FALSE(::GetUpdateRect(mainWindow, nullptr, FALSE));
    ASSERT_EQ(program.WaitForInputIdle(), 0u);
    ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST_F(StartupTest, LoadFailureIsShownBeforeTheMainWindow) {
    test::SetString(HKEY_CURRENT_USER, kCatalogue, L"ButtonDat", L"abc");
    Program program;
    ASSERT_TRUE(program.Started());
    HWND box = WaitForWindow(L"#32770", L"Orbelune", true);
    ASSERT_TRUE(box);
    EXPECT_EQ(TextOf(::GetDlgItem(box, 0xFFFF)), L"'abc' は整数ではありません.");
    HWND mainWindow = ::FindWindowW(L"TForm1", nullptr);
    ASSERT_TRUE(mainWindow);
    EXPECT_FALSE(::IsWindowVisible(mainWindow));  // not shown yet

    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForWindow(L"TForm1", nullptr, true));  // start-up went on
    ::PostMessageW(::GetDlgItem(mainWindow, 112), BM_CLICK, 0, 0);  // "終了"
    EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST_F(StartupTest, TaskBarCloseEndsTheProgram) {
    Program program;
    ASSERT_TRUE(program.Started());
    HWND mainWindow = WaitForWindow(L"TForm1", nullptr, true);
    ASSERT_TRUE(mainWindow);
    ::PostMessageW(::GetWindow(mainWindow, GW_OWNER), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

// The embedded manifest of both flavours declares long-path awareness.
TEST(ProgramManifest, DeclaresLongPathAwareness) {
    for (const std::wstring& path : {ProgramPath(), Program64Path()}) {
        SCOPED_TRACE(testing::PrintToString(path));
        ASSERT_TRUE(FileExists(path)) << "build the 64-bit flavour too: scripts/build.sh x86_64";
        HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module);
        HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
        ASSERT_TRUE(found);
        const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
        const std::string manifest(bytes, ::SizeofResource(module, found));
        ::FreeLibrary(module);

        const std::size_t settings = manifest.find("<windowsSettings>");
        const std::size_t settingsEnd = manifest.find("</windowsSettings>");
        const std::size_t entry = manifest.find(
            "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>");
        ASSERT_NE(entry, std::string::npos) << manifest;
        EXPECT_LT(settings, entry);
        EXPECT_LT(entry, settingsEnd);
        EXPECT_NE(manifest.rfind("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">", settings),
                  std::string::npos);
    }
}

// The 32-bit installer writes the uninstall key in the 32-bit registry view;
// both flavours repair the command there, only towards a folder that holds
// the uninstaller, and leave the 64-bit view alone.
TEST_F(StartupTest, BothFlavoursRepairTheInstallersUninstallEntry) {
    const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vesk";
    const auto removeBoth = [&] {
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, uninstall.c_str(), KEY_WOW64_32KEY, 0);
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, uninstall.c_str(), KEY_WOW64_64KEY, 0);
    };
    const auto setIn = [&](REGSAM view, const wchar_t* text) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, uninstall.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                         static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    };
    const auto readIn = [&](REGSAM view) {
        wchar_t text[512] = {};
        DWORD size = sizeof text - sizeof(wchar_t);
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstall.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
            return std::wstring(L"(no key)");
        ::RegQueryValueExW(key, L"UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
        ::RegCloseKey(key);
        return std::wstring(text);
    };
    // AppPath names an installation: a folder holding Orbelune.exe and the
    // uninstaller. Without AppPath the program records its own folder, which
    // holds no uninstaller (a copy from the portable zip, say): the entry
    // keeps naming the installed one.
    test::TempFolder installed;
    test::WriteFileBytes(installed.File(L"Orbelune.exe"), {'M', 'Z'});
    test::WriteFileBytes(installed.File(L"vesk_uninst.exe"), {'M', 'Z'});
    const std::wstring installedCommand = L"\"" + installed.File(L"vesk_uninst.exe") + L"\"";
    const std::wstring old = L"\"C:\\Old\\vesk_uninst.exe\"";
    const struct {
        const char* what;
        bool appPath;
        std::wstring stored, after;
    } cases[] = {
        {"installed", true, old, installedCommand},
        {"run from a folder without the uninstaller", false, installedCommand, installedCommand},
    };
    for (const std::wstring& path : {ProgramPath(), Program64Path()}) {
        ASSERT_TRUE(FileExists(path)) << "build the 64-bit flavour too: scripts/build.sh x86_64";
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::PrintToString(path) + " " + c.what);
            Clean();
            removeBoth();
            if (c.appPath) test::SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", installed.Path() + L"\\");
            setIn(KEY_WOW64_32KEY, c.stored.c_str());
            setIn(KEY_WOW64_64KEY, L"untouched");

            Program program(path);
            ASSERT_TRUE(program.Started());
            HWND mainWindow = WaitForWindow(L"TForm1", nullptr, true);
            ASSERT_TRUE(mainWindow);
            ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
            EXPECT_EQ(program.WaitForExit(), 0u);
            EXPECT_EQ(readIn(KEY_WOW64_32KEY), c.after);
            EXPECT_EQ(readIn(KEY_WOW64_64KEY), L"untouched");
            if (!c.appPath) {  // the program's own folder, recorded
                EXPECT_EQ(test::GetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath"),
                          path.substr(0, path.rfind(L'\\') + 1));
            }
        }
    }
    removeBoth();
}

}  // namespace
