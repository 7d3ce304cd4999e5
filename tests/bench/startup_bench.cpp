// Start-up, create and delete of the real program against minimal reference
// programs, timed from outside under Wine.
//
// Usage: startup_bench.exe MINIMAL_WINDOW.exe MINIMAL_LISTS.exe SAME_CALLS.exe Orbelune.exe ICON.ico
//                          [rounds | --once N]
//
// Catalogues of 0, 10, 1,000, 10,000 and 100,000 buttons are kept side by
// side. Before each case the program's two keys, \Software\Tollivern and
// Internet Explorer's \Extensions (which holds CmdMapping), are made
// registry links to that case's keys, so that the cases can take turns
// without rewriting 100,000 values each time. The catalogues and command
// mappings are volatile keys, filled at every run: the Wine server never
// writes their 200,000 values to disk, neither now and then while the
// programs run nor at its end. Only the extension keys that create and
// delete make and remove are lasting ones, as they must be.
//
// Start-up is timed from just before CreateProcess until a visible top-level
// window of the new process with a non-empty rectangle exists (the
// application window of the program, visible but of no size, does not
// count), polled every millisecond; the same for every program. The program
// and the same window calls are also timed until they first wait for input
// (WaitForInputIdle): the whole window set made. Within a
// round every case runs once, the program, its reference and the program
// that makes the same window calls (same_calls.cpp) back to back in turning
// order; each ratio is the median of the run-by-run ratios.
// After its start-up the program creates a button and deletes it again a
// few times (driven by the messages that the main window's buttons and list
// send), timed around each synchronous call.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kBenchRoot[] = L"Software\\OrbeluneBench";  // volatile
constexpr wchar_t kExtensionsRoot[] = L"Software\\OrbeluneBenchExtensions";
constexpr wchar_t kCatalogueLink[] = L"Software\\Tollivern";
constexpr wchar_t kExtensionsParent[] = L"Software\\Microsoft\\Internet Explorer";
constexpr wchar_t kExtensionsLink[] = L"Software\\Microsoft\\Internet Explorer\\Extensions";
constexpr int kCyclesPerRun = 3;  // create + delete pairs after each start-up of the program

// Main window control identifiers.
constexpr int kCreateButton = 101, kButtonNameList = 102, kDeleteButton = 104, kNameField = 105, kLinkTargetField = 106,
              kIconPathField = 107;

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "startup_bench: %s\n", what.c_str());
    std::fflush(stderr);
    std::exit(2);
}

double Now() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Median of a[i] / b[i].
double PairRatio(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> r;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(a[i] / b[i]);
    return Median(r);
}

// ---- registry ----

class Key {
public:
    Key() = default;
    ~Key() {
        if (h_) ::RegCloseKey(h_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* Put() { return &h_; }
    HKEY Get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

void Check(LONG rc, const char* what) {
    if (rc != ERROR_SUCCESS) Die(std::string(what) + " failed with " + std::to_string(rc));
}

void SetString(HKEY key, const std::wstring& name, const std::wstring& text) {
    Check(::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
          "RegSetValueExW");
}

void SetDword(HKEY key, const std::wstring& name, DWORD value) {
    Check(::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
          "RegSetValueExW");
}

DWORD ValueCount(HKEY root, const std::wstring& path) {
    Key key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return DWORD(-1);
    DWORD count = 0;
    ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                       nullptr, nullptr);
    return count;
}

std::wstring UserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) Die("OpenProcessToken");
    std::vector<BYTE> buffer(512);
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size))
        Die("GetTokenInformation");
    ::CloseHandle(token);
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    // The textual S-R-I-S-S... form, as the registry names the user's hive.
    const SID_IDENTIFIER_AUTHORITY* authority = ::GetSidIdentifierAuthority(sid);
    unsigned long long value = 0;
    for (int i = 0; i < 6; ++i) value = (value << 8) | authority->Value[i];
    std::wstring text = L"S-1-" + std::to_wstring(value);
    const int count = *::GetSidSubAuthorityCount(sid);
    for (int i = 0; i < count; ++i) text += L"-" + std::to_wstring(*::GetSidSubAuthority(sid, static_cast<DWORD>(i)));
    return text;
}

// Makes HKCU\<link> a registry link to HKCU\<target>, replacing a real key
// that stands there.
void PointLink(const std::wstring& link, const std::wstring& target, const std::wstring& sid) {
    const std::wstring path = L"\\Registry\\User\\" + sid + L"\\" + target;
    Key key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, link.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, key.Put()) ==
        ERROR_SUCCESS) {
        DWORD type = 0;
        if (::RegQueryValueExW(key.Get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS ||
            type != REG_LINK) {
            ::RegCloseKey(*key.Put());
            *key.Put() = nullptr;
            ::RegDeleteTreeW(HKEY_CURRENT_USER, link.c_str());
            ::RegDeleteKeyW(HKEY_CURRENT_USER, link.c_str());
        }
    }
    if (!key.Get()) {
        // Volatile: the links go with the Wine server.
        Check(::RegCreateKeyExW(HKEY_CURRENT_USER, link.c_str(), 0, nullptr, REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                                KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, key.Put(), nullptr),
              "creating a registry link");
    }
    Check(::RegSetValueExW(key.Get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>(path.size() * sizeof(wchar_t))),
          "setting a registry link");
}

std::wstring CaseKey(int buttons) { return std::wstring(kBenchRoot) + L"\\N" + std::to_wstring(buttons); }
std::wstring ExtensionsKey(int buttons) { return std::wstring(kExtensionsRoot) + L"\\N" + std::to_wstring(buttons); }

void CreateKey(const std::wstring& path, DWORD options, Key& key) {
    Check(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, key.Put(),
                            nullptr),
          "RegCreateKeyExW");
}

// The case's catalogue: ButtonNum0 .. ButtonNum<n-1> with ButtonDat n-1, the
// first-start values and AppPath; CmdMapping with NextId and one command
// number per button, as the program's own create leaves them (the extension
// keys themselves are left out: the start-up never reads them). Kept while
// the Wine server runs.
void FillCase(int buttons, const std::wstring& sid) {
    const std::wstring root = CaseKey(buttons);
    const std::wstring catalogue = root + L"\\Tollivern";
    const std::wstring mapping = root + L"\\CmdMapping";
    const DWORD settings = buttons > 0 ? 4 : 3;  // ButtonDat, AppPath, NextIdDef, CmdCount
    // Internet Explorer's Extensions key of the case, its CmdMapping a link.
    {
        Key extensions;
        CreateKey(ExtensionsKey(buttons), 0, extensions);
    }
    PointLink(ExtensionsKey(buttons) + L"\\CmdMapping", mapping, sid);
    if (ValueCount(HKEY_CURRENT_USER, catalogue) == settings + DWORD(buttons) &&
        ValueCount(HKEY_CURRENT_USER, mapping) == 1 + DWORD(buttons))
        return;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
    Key cat, map;
    CreateKey(catalogue, REG_OPTION_VOLATILE, cat);
    CreateKey(mapping, REG_OPTION_VOLATILE, map);
    // Written in the registry's name order, so that each value is appended.
    std::vector<std::wstring> names;
    for (int n = 0; n < buttons; ++n) names.push_back(std::to_wstring(n));
    std::sort(names.begin(), names.end());
    for (const std::wstring& n : names) SetString(cat.Get(), L"ButtonNum" + n, L"ツールボタン " + n + L" のなまえ");
    if (buttons > 0) SetString(cat.Get(), L"ButtonDat", std::to_wstring(buttons - 1));
    SetString(cat.Get(), L"AppPath", L"C:\\OrbeluneBench\\");
    SetDword(cat.Get(), L"NextIdDef", 1000);
    SetDword(cat.Get(), L"CmdCount", DWORD(buttons) + 1);
    wchar_t id[64];
    for (int n = 0; n < buttons; ++n) {
        std::swprintf(id, 64, L"{%08d-0000-0000-0000-000000000000}", n);
        SetDword(map.Get(), id, DWORD(1000 + n));
    }
    SetDword(map.Get(), L"NextId", DWORD(1000 + buttons));
}

// ---- processes and windows ----

struct Process {
    PROCESS_INFORMATION pi{};
    ~Process() {
        if (!pi.hProcess) return;
        if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi.hProcess, 99);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
};

struct ShownSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindShown(HWND hwnd, LPARAM data) {
    RECT r{};
    if (::IsWindowVisible(hwnd) && ::GetWindowRect(hwnd, &r) && r.right > r.left && r.bottom > r.top) {
        reinterpret_cast<ShownSearch*>(data)->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Starts the program and returns the milliseconds until its window is shown;
// `ready`, those until it first waits for input.
double Start(const std::wstring& exe, Process& process, HWND& window, double* ready = nullptr) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    std::wstring command = L"\"" + exe + L"\"";
    const double start = Now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process.pi))
        Die("cannot start the program");
    for (;;) {
        ShownSearch search;
        ::EnumThreadWindows(process.pi.dwThreadId, FindShown, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            window = search.found;
            const double shown = Now() - start;
            if (ready) {
                if (::WaitForInputIdle(process.pi.hProcess, 300000) != 0) Die("the program never waited for input");
                *ready = Now() - start;
            }
            return shown;
        }
        if (::WaitForSingleObject(process.pi.hProcess, 1) != WAIT_TIMEOUT) Die("the program ended before showing a window");
        if (Now() - start > 300000) Die("no window after five minutes");
    }
}

void Close(Process& process, HWND window) {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.pi.hProcess, 120000) != WAIT_OBJECT_0) Die("the program did not end when closed");
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 60000, &result))
        Die("the program did not answer (a message box?)");
    return static_cast<LRESULT>(result);
}

// A press of one of the main window's buttons, as the button reports it.
double Press(HWND form, int id) {
    HWND button = ::GetDlgItem(form, id);
    const double start = Now();
    Send(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return Now() - start;
}

LRESULT Count(HWND list) { return Send(list, LB_GETCOUNT, 0, 0); }

// Creates a button from filled fields and deletes it again; adds the two
// times.
void CreateAndDelete(HWND form, const std::wstring& icon, std::vector<double>& create, std::vector<double>& remove) {
    HWND list = ::GetDlgItem(form, kButtonNameList);
    const LRESULT before = Count(list);
    Send(::GetDlgItem(form, kNameField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ベンチのボタン"));
    Send(::GetDlgItem(form, kLinkTargetField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"https://example.com/"));
    Send(::GetDlgItem(form, kIconPathField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(icon.c_str()));
    create.push_back(Press(form, kCreateButton));
    if (Count(list) != before + 1) Die("create did not add the button");
    Send(list, LB_SETCURSEL, static_cast<WPARAM>(before), 0);
    Send(form, WM_COMMAND, MAKEWPARAM(kButtonNameList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    remove.push_back(Press(form, kDeleteButton));
    if (Count(list) != before) Die("delete did not remove the button");
}

// ---- the cases ----

struct Case {
    int buttons;
    const wchar_t* reference;  // minimal window or minimal lists
    int rounds;
    std::vector<double> program, yardstick, sameCalls, create, remove;
    std::vector<double> programReady, sameCallsReady;
};

void PrintRatio(const char* what, double ratio, double target) {
    std::printf("  %-44s %6.2fx   target <= %.2fx   %s\n", what, ratio, target, ratio <= target ? "met" : "NOT MET");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6)
        Die("usage: startup_bench MINIMAL_WINDOW MINIMAL_LISTS SAME_CALLS ORBELUNE ICON [rounds | --once BUTTONS]");
    const std::wstring minimalWindow = argv[1], minimalLists = argv[2], sameCalls = argv[3], program = argv[4],
                       icon = argv[5];
    const int rounds = argc > 6 ? std::max(1, _wtoi(argv[6])) : 15;

    // Fewer rounds for the big catalogues: each start-up takes seconds there.
    std::vector<Case> cases = {
        {0, minimalWindow.c_str(), rounds, {}, {}, {}, {}, {}, {}, {}},
        {10, minimalLists.c_str(), rounds, {}, {}, {}, {}, {}, {}, {}},
        {1000, minimalLists.c_str(), rounds, {}, {}, {}, {}, {}, {}, {}},
        {10000, minimalLists.c_str(), std::max(3, rounds / 2), {}, {}, {}, {}, {}, {}, {}},
        {100000, minimalLists.c_str(), std::max(3, rounds / 3), {}, {}, {}, {}, {}, {}, {}},
    };
    // ORBELUNE_BENCH_CASES, e.g. "0,1000": only these catalogues.
    if (const char* only = std::getenv("ORBELUNE_BENCH_CASES"); only && *only) {
        std::vector<int> wanted;
        for (const char* p = only; *p;) {
            char* end = nullptr;
            wanted.push_back(static_cast<int>(std::strtol(p, &end, 10)));
            p = *end ? end + 1 : end;
        }
        std::erase_if(cases, [&](const Case& c) { return std::find(wanted.begin(), wanted.end(), c.buttons) == wanted.end(); });
        if (cases.empty()) Die("ORBELUNE_BENCH_CASES names none of 0, 10, 1000, 10000, 100000");
    }
    const std::wstring sid = UserSid();
    {
        Key parent;
        CreateKey(kExtensionsParent, 0, parent);
        // A lasting key of that name (left by an earlier version of this
        // benchmark) takes a lasting child: then it goes.
        Key bench, probe;
        CreateKey(kBenchRoot, REG_OPTION_VOLATILE, bench);
        if (::RegCreateKeyExW(bench.Get(), L"probe", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, probe.Put(), nullptr) ==
            ERROR_SUCCESS) {
            ::RegCloseKey(*bench.Put());
            *bench.Put() = nullptr;
            ::RegDeleteTreeW(HKEY_CURRENT_USER, kBenchRoot);
            ::RegDeleteKeyW(HKEY_CURRENT_USER, kBenchRoot);
            Key fresh;
            CreateKey(kBenchRoot, REG_OPTION_VOLATILE, fresh);
        }
    }
    const double fillStart = Now();
    for (const Case& c : cases) FillCase(c.buttons, sid);
    std::printf("catalogues filled in %.1f s\n", (Now() - fillStart) / 1000);

    // "--once N": one start-up of each program on the catalogue of N buttons,
    // for profiling with WINEDEBUG channels or timers.
    if (argc > 7 && std::wstring(argv[6]) == L"--once") {
        const int buttons = _wtoi(argv[7]);
        FillCase(buttons, sid);
        PointLink(kCatalogueLink, CaseKey(buttons) + L"\\Tollivern", sid);
        PointLink(kExtensionsLink, ExtensionsKey(buttons), sid);
        for (const std::wstring& exe : {buttons ? minimalLists : minimalWindow, sameCalls, program}) {
            Process p;
            HWND w = nullptr;
            const double ms = Start(exe, p, w);
            std::printf("%ls: %.1f ms\n", exe.c_str(), ms);
            std::fflush(stdout);
            Close(p, w);
        }
        return 0;
    }

    const double benchStart = Now();
    int maxRounds = 0;
    for (const Case& c : cases) maxRounds = std::max(maxRounds, c.rounds);
    // One extra round first, not counted: Wine's caches and the disk warm up.
    for (int round = -1; round < maxRounds; ++round) {
        for (Case& c : cases) {
            if (round >= c.rounds) continue;
            // A moment for Wine and the X server to settle after the last
            // process has ended.
            ::Sleep(300);
            PointLink(kCatalogueLink, CaseKey(c.buttons) + L"\\Tollivern", sid);
            PointLink(kExtensionsLink, ExtensionsKey(c.buttons), sid);
            double programMs = 0, referenceMs = 0, sameCallsMs = 0, programReadyMs = 0, sameCallsReadyMs = 0;
            std::vector<double> create, remove;
            auto runReference = [&] {
                Process p;
                HWND w = nullptr;
                referenceMs = Start(c.reference, p, w);
                Close(p, w);
            };
            auto runSameCalls = [&] {
                Process p;
                HWND w = nullptr;
                sameCallsMs = Start(sameCalls, p, w, &sameCallsReadyMs);
                Close(p, w);
            };
            auto runProgram = [&] {
                Process p;
                HWND w = nullptr;
                programMs = Start(program, p, w, &programReadyMs);
                if (Count(::GetDlgItem(w, kButtonNameList)) != c.buttons)
                    Die("the program listed another number of buttons");
                for (int i = 0; i < kCyclesPerRun; ++i) CreateAndDelete(w, icon, create, remove);
                Close(p, w);
            };
            switch ((round + 3) % 3) {
            case 0:
                runReference();
                runProgram();
                runSameCalls();
                break;
            case 1:
                runProgram();
                runSameCalls();
                runReference();
                break;
            default:
                runSameCalls();
                runReference();
                runProgram();
                break;
            }
            if (round < 0) continue;
            c.program.push_back(programMs);
            c.yardstick.push_back(referenceMs);
            c.sameCalls.push_back(sameCallsMs);
            c.programReady.push_back(programReadyMs);
            c.sameCallsReady.push_back(sameCallsReadyMs);
            c.create.insert(c.create.end(), create.begin(), create.end());
            c.remove.insert(c.remove.end(), remove.begin(), remove.end());
        }
    }

    std::printf("Start-up to the main window shown (medians in ms; ratios are medians of pair-by-pair ratios)\n");
    std::printf("  %-16s %5s %10s %10s %11s   %-15s\n", "catalogue", "runs", "Orbelune", "reference", "same calls",
                "reference is");
    for (const Case& c : cases)
        std::printf("  %-16s %5zu %10.1f %10.1f %11.1f   %-15s\n",
                    c.buttons ? (std::to_string(c.buttons) + " buttons").c_str() : "empty", c.program.size(),
                    Median(c.program), Median(c.yardstick), Median(c.sameCalls),
                    c.buttons ? "minimal lists" : "minimal window");
    // The targets: the program's start-up against the program that makes
    // the same window set and nothing else.
    std::printf("Ratios, Orbelune against the same window set (same_calls):\n");
    for (const Case& c : cases) {
        const std::string what = (c.buttons ? std::to_string(c.buttons) + " buttons" : std::string("empty")) +
                                 " start-up / same calls";
        const double target = c.buttons == 0 ? 1.05 : c.buttons == 1000 ? 1.10 : c.buttons == 100000 ? 1.2 : 0;
        if (target > 0)
            PrintRatio(what.c_str(), PairRatio(c.program, c.sameCalls), target);
        else
            std::printf("  %-44s %6.2fx   (no target)\n", what.c_str(), PairRatio(c.program, c.sameCalls));
    }
    // The program makes its hidden windows once the main window is painted:
    // shown first, it is ready for input when the whole set is made, as the
    // same window calls are.
    std::printf("Without a target: ready for input (the whole window set made), medians in ms and the ratio:\n");
    for (const Case& c : cases)
        std::printf("  %-16s Orbelune %8.1f   same calls %8.1f   %5.2fx\n",
                    c.buttons ? (std::to_string(c.buttons) + " buttons").c_str() : "empty", Median(c.programReady),
                    Median(c.sameCallsReady), PairRatio(c.programReady, c.sameCallsReady));
    std::printf("Without a target: the program and the same window calls against the reference (the platform's "
                "cost of the program's windows):\n");
    for (const Case& c : cases) {
        const std::string what = c.buttons ? std::to_string(c.buttons) + " buttons" : std::string("empty");
        std::printf("  %-16s Orbelune / %-14s %5.2fx   same calls / reference %5.2fx\n", what.c_str(),
                    c.buttons ? "minimal lists" : "minimal window", PairRatio(c.program, c.yardstick),
                    PairRatio(c.sameCalls, c.yardstick));
    }
    std::printf("Create and delete (%d per start-up), medians in ms:\n", kCyclesPerRun);
    for (const Case& c : cases)
        std::printf("  %-16s %5zu ops   create %7.2f   delete %7.2f\n",
                    c.buttons ? (std::to_string(c.buttons) + " buttons").c_str() : "empty", c.create.size(),
                    Median(c.create), Median(c.remove));
    for (const Case& c : cases) {
        if (c.buttons != 100000) continue;
        for (const auto& [what, times] : {std::pair{"create", &c.create}, std::pair{"delete", &c.remove}}) {
            const double ms = Median(*times);
            std::printf("  %-44s %6.1f ms   target < 100 ms   %s\n",
                        (std::string(what) + ", 100000 buttons").c_str(), ms, ms < 100 ? "met" : "NOT MET");
        }
    }
    std::printf("(%d rounds, %.0f s)\n", rounds, (Now() - benchStart) / 1000);
    return 0;
}
