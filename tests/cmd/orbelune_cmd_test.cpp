// The console companion as a script runs it: a process of its own on the
// prefix's current-user hive, its output redirected to files.
#include "support/gui.h"
#include "support/icon_library.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace orbelune {
namespace {

const std::wstring kCatalogue = L"\\Software\\Tollivern";
const std::wstring kExtensions = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";

struct Outcome {
    DWORD code = 0;
    std::wstring out, err;
};

std::wstring FromUtf8(const std::vector<unsigned char>& bytes) {
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, static_cast<int>(bytes.size()), text.data(), size);
    return bytes.empty() || size > 0 ? text : L"(not UTF-8)";
}

Outcome RunCommand(const test::TempFolder& folder, const std::vector<std::wstring>& args) {
    std::wstring line = L"\"" + std::wstring(ORBELUNE_CMD) + L"\"";
    for (const std::wstring& a : args) line += L" \"" + a + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::wstring outPath = folder.File(L"out.txt"), errPath = folder.File(L"err.txt");
    HANDLE out = ::CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = ::CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    Outcome outcome;
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, 60000);
        ::GetExitCodeProcess(process.hProcess, &outcome.code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    outcome.out = FromUtf8(test::ReadFileBytes(outPath));
    outcome.err = FromUtf8(test::ReadFileBytes(errPath));
    return outcome;
}

// The prefix's own catalogue and Internet Explorer keys, emptied before and
// after; the program folder a temporary one.
class OrbeluneCmdTest : public testing::Test {
protected:
    OrbeluneCmdTest() {
        Clean();
        test::WriteFileBytes(app_.File(L"Orbelune.exe"), {'M', 'Z'});
        test::SetString(HKEY_CURRENT_USER, kCatalogue, L"AppPath", app_.Path() + L"\\");
        test::SetDword(HKEY_CURRENT_USER, kExtensions + L"\\CmdMapping", L"NextId", 50);
    }
    ~OrbeluneCmdTest() override { Clean(); }
    static void Clean() {
        test::DeleteKeyTree(HKEY_CURRENT_USER, kCatalogue);
        test::DeleteKeyTree(HKEY_CURRENT_USER, kExtensions);
    }
    test::TempFolder app_, files_;
};

// A script's session: every command's exit code, and its output in UTF-8.
TEST_F(OrbeluneCmdTest, CommandsExitCodesAndOutput) {
    const std::wstring icon = files_.File(L"アイコン.ico"), set = files_.File(L"set.ins");
    test::WriteFileBytes(icon, test::IcoFile({{32, 32}}, 4));
    const struct {
        std::vector<std::wstring> args;
        DWORD code;
        std::wstring out, err;  // a part of each
    } steps[] = {
        {{L"--help"}, 0, L"OrbeluneCmd import FILE", L""},
        {{L"/?"}, 0, L"終了コード", L""},
        {{}, 2, L"", L"コマンドがありません"},
        {{L"frob"}, 2, L"", L"不明なコマンド: frob"},
        {{L"create", L"--name", L"x"}, 2, L"", L"--target がありません"},
        {{L"import", set, L"--replace", L"--skip"}, 2, L"", L"同時に指定できません"},
        {{L"create", L"--name", L"メモ", L"--target", L"C:\\a.exe", L"--icon", L"Z:\\none.ico"}, 1, L"", L"アイコンに存在しないファイル"},
        {{L"create", L"--name", L"メモ", L"--target", L"C:\\a.exe", L"--icon", icon}, 0, L"0\r\n", L""},
        {{L"list"}, 0, L"0\tメモ\tC:\\a.exe\t" + icon + L"\t" + icon + L"\r\n", L""},
        {{L"export", set}, 0, L"書き出し 1 個", L""},
        {{L"import", set}, 1, L"", L"--replace（置き換え）か --skip"},
        {{L"import", set, L"--skip"}, 0, L"スキップ 1 個", L""},
        {{L"delete", L"メモ"}, 0, L"", L""},
        {{L"delete", L"メモ"}, 1, L"", L"ボタン 'メモ' がありません"},
        {{L"import", set}, 0, L"作成 1 個", L""},
        {{L"list"}, 0, L"0\tメモ\tC:\\a.exe\t" + app_.Path() + L"\\icon\\アイコン.ico", L""},  // numbers from 0 again
        {{L"import", files_.File(L"none.ins")}, 1, L"", L"を読み込めません"},
    };
    for (const auto& step : steps) {
        const Outcome outcome = RunCommand(files_, step.args);
        SCOPED_TRACE(testing::PrintToString(step.args));
        EXPECT_EQ(outcome.code, step.code) << testing::PrintToString(outcome.err);
        EXPECT_NE(outcome.out.find(step.out), std::wstring::npos) << testing::PrintToString(outcome.out);
        EXPECT_NE(outcome.err.find(step.err), std::wstring::npos) << testing::PrintToString(outcome.err);
    }
}

}  // namespace
}  // namespace orbelune
