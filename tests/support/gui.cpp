#include "support/gui.h"

#include "app/application.h"
#include "app/dpi.h"
#include "ui/iconpicker/icon_picker.h"
#include "ui/main/main_window.h"
#include "support/window_set.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>

namespace orbelune::test {

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the test to see
            return;
        }
        ProcessMessage(msg);
    }
}

namespace {

void SetModifiers(bool shift, bool ctrl, bool alt) {
    BYTE state[256];
    ::GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_MENU] = alt ? 0x80 : 0;
    ::SetKeyboardState(state);
}

}  // namespace

RECT InParent(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectPlaced(HWND control, const LayoutRect& row, int dpi) {
    SCOPED_TRACE(testing::Message() << "control " << row.id << " at " << dpi << " dpi");
    ASSERT_TRUE(control);
    const RECT r = InParent(control);
    EXPECT_EQ(r.top, Scaled(row.y, dpi));
    EXPECT_EQ(r.bottom - r.top, Scaled(row.height, dpi));
    if (row.grow == Grow::KeepRight)
        EXPECT_EQ(r.right, Scaled(row.x, dpi) + Scaled(row.width, dpi));
    else
        EXPECT_EQ(r.left, Scaled(row.x, dpi));
    if (row.grow == Grow::No) {
        EXPECT_EQ(r.right - r.left, Scaled(row.width, dpi));
        return;
    }
    // A label, check box or radio button grows to hold its whole text (and
    // its mark with a gap), never narrower than the layout.
    const std::wstring text = WindowTextOf(control);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    wchar_t cls[16] = {};
    ::GetClassNameW(control, cls, 16);
    const int mark = lstrcmpiW(cls, L"Button") == 0 ? SystemMetric(SM_CXMENUCHECK, dpi) + Scaled(6, dpi) : 0;
    EXPECT_EQ(r.right - r.left, std::max(Scaled(row.width, dpi), static_cast<int>(extent.cx) + mark));
}

LayoutRect LayoutRow(std::span<const ControlRow> table, int id) {
    if (const LayoutRect* row = FindLayout(table, id)) return *row;
    ADD_FAILURE() << "no control row for control " << id;
    return LayoutRect{id, 0, 0, 0, 0};
}

std::vector<LayoutRect> Places(std::span<const ControlRow> table) {
    std::vector<LayoutRect> places;
    for (const ControlRow& row : table) places.push_back(row.place);
    return places;
}

void ExpectAtLayoutRow(HWND control, std::span<const ControlRow> table, int id, const std::wstring& text) {
    ExpectPlaced(control, LayoutRow(table, id));
    EXPECT_EQ(WindowTextOf(control), text) << "control " << id;
}

void PressButton(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }

void SendNotification(HWND control, WORD code) {
    ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                   reinterpret_cast<LPARAM>(control));
}

void PressKey(HWND hwnd, WPARAM key, bool shift, bool ctrl, bool alt) {
    SetModifiers(shift, ctrl, alt);
    const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT up = alt ? WM_SYSKEYUP : WM_KEYUP;
    const LPARAM altBit = alt ? (1 << 29) : 0;
    ::PostMessageW(hwnd, down, key, 1 | altBit);
    ::PostMessageW(hwnd, up, key, static_cast<LPARAM>(0xC0000001u) | altBit);
    Pump();
    SetModifiers(false, false, false);
}

void Type(HWND hwnd, const std::wstring& text) {
    for (wchar_t c : text) ::SendMessageW(hwnd, WM_CHAR, c, 1);
    Pump();
}

namespace {
void RemoveTree(const std::wstring& path);
}  // namespace

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"orbelune-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    // One left by an earlier process of the same number, ended by a crash.
    RemoveTree(path_);
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

namespace {

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace

TempFolder::~TempFolder() { RemoveTree(path_); }

void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

void WriteSparseFile(const std::wstring& path, const std::vector<unsigned char>& head, std::uint64_t size) {
    WriteFileBytes(path, head);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool extended = ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    ASSERT_TRUE(extended);
}

std::vector<std::wstring> FolderContents(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (data.cFileName[0] != L'.') names.emplace_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

std::vector<unsigned char> IconFileBytes(int size, COLORREF colour) { return IconFileBytes({{size, colour}}); }

std::vector<unsigned char> IconFileBytes(const std::vector<IconImageSpec>& images) {
    std::vector<unsigned char> b;
    auto word = [&](unsigned v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); };
    auto dword = [&](unsigned v) { word(v & 0xFFFF); word(v >> 16); };
    const auto imageBytes = [](int size) { return 40 + size * size * 4 + ((size + 31) / 32) * 4 * size; };
    word(0); word(1); word(static_cast<unsigned>(images.size()));  // header
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (const auto& image : images) {
        b.push_back(static_cast<unsigned char>(image.size)); b.push_back(static_cast<unsigned char>(image.size));
        b.push_back(0); b.push_back(0); word(1); word(32);
        dword(static_cast<unsigned>(imageBytes(image.size))); dword(offset);
        offset += static_cast<unsigned>(imageBytes(image.size));
    }
    for (const auto& image : images) {
        const int size = image.size;
        dword(40); dword(static_cast<unsigned>(size)); dword(static_cast<unsigned>(size * 2)); word(1); word(32);
        dword(0); dword(0); dword(0); dword(0); dword(0); dword(0);
        for (int i = 0; i < size * size; ++i) {
            b.push_back(GetBValue(image.colour)); b.push_back(GetGValue(image.colour));
            b.push_back(GetRValue(image.colour)); b.push_back(255);
        }
        b.insert(b.end(), static_cast<std::size_t>(((size + 31) / 32) * 4 * size), 0);  // all opaque
    }
    return b;
}

void DropFiles(HWND window, POINT clientPoint, const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const auto& p : paths) list += p + L'\0';
    list += L'\0';
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    ASSERT_TRUE(memory);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = clientPoint;
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
    ::GlobalUnlock(memory);
    ::SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);  // the window frees it
    Pump();
}

int DisplayDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

AppTest::AppTest() {
    SetBoxAnswerer([this](BoxKind kind, const std::wstring& text) {
        boxes_.push_back({kind, text});
        if (kind != BoxKind::Confirmation) return BoxResult::None;
        if (answers_.empty()) return BoxResult::Yes;
        const BoxResult answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
    InitializeApplication();
}

AppTest::~AppTest() {
    DestroyWindowSet();
    SetBoxAnswerer(nullptr);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

void AppTest::Start() {
    CreateWindowSet();
    ShowMainWindow(SW_SHOWNORMAL);
    Pump();
}

HWND MainWindowTest::C(int id) { return TheMainWindow()->Control(id); }
std::wstring MainWindowTest::T(int id) { return TheMainWindow()->Text(id); }

void MainWindowTest::Click(int id) {
    ::SendMessageW(C(id), BM_CLICK, 0, 0);
    Pump();
}

std::wstring MainWindowTest::IconFile(const std::wstring& name, int size, COLORREF colour) {
    const std::wstring path = folder_.File(name);
    WriteFileBytes(path, IconFileBytes(size, colour));
    return path;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, L'\0');
        const auto got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(got));
        items.push_back(text);
    }
    return items;
}

std::wstring WindowTextOf(HWND hwnd) {
    wchar_t buffer[4096] = {};
    ::GetWindowTextW(hwnd, buffer, 4096);
    return buffer;
}

void ClickIconGridItem(int item, bool wait) {
    HWND view = TheIconPicker()->Control(IconPicker::kIconGrid);
    ListView_SetItemState(view, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    NMHDR click{view, static_cast<UINT_PTR>(IconPicker::kIconGrid), static_cast<UINT>(NM_CLICK)};
    ::SendMessageW(TheIconPicker()->Handle(), WM_NOTIFY, IconPicker::kIconGrid, reinterpret_cast<LPARAM>(&click));
    if (wait) PumpUntilIconsMade();
}

AnswerProbe::AnswerProbe(HWND window, DWORD timeout)
    : thread_([this, window, timeout] {
          while (!stop_) {
              const DWORD start = ::GetTickCount();
              DWORD_PTR result = 0;
              if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result)) ++unanswered_;
              longest_ = std::max<DWORD>(longest_, ::GetTickCount() - start);
              ::Sleep(20);
          }
      }) {}

void AnswerProbe::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void PumpUntilIconsMade() {
    Pump();
    for (const DWORD start = ::GetTickCount(); TheIconPicker()->MakingIcons() && ::GetTickCount() - start < 60000;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
}

}  // namespace orbelune::test
