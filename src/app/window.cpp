#include "app/window.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace orbelune {

namespace {

// The windows made by this class with their objects, a few dozen at most.
// Every message to one of them looks its object up here: a walk over a
// short table in the process, where a window property would be a question
// to the window server at every message (under Wine).
std::vector<std::pair<HWND, Window*>>& Windows() {
    static std::vector<std::pair<HWND, Window*>> windows;
    return windows;
}

}  // namespace

Window::~Window() { Destroy(); }

void Window::Destroy() noexcept {
    if (hwnd_) ::DestroyWindow(hwnd_);  // WM_NCDESTROY detaches the object
}

// cppcheck-suppress constParameter ; HWND is a handle, not data of ours to make const
Window* Window::FromHandle(HWND hwnd) noexcept {
    if (!hwnd) return nullptr;
    for (const auto& [handle, window] : Windows())
        if (handle == hwnd) return window;
    return nullptr;
}

void Window::RegisterWindowClass(const wchar_t* className, HBRUSH background, UINT style) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), className, &wc)) return;  // once per process
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    // The program's icon, at the large and the small size.
    wc.hIcon = static_cast<HICON>(::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0,
                                               LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                 LR_SHARED));
    if (!wc.hIcon) wc.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    if (!::RegisterClassExW(&wc)) throw Failure(L"ウィンドウクラスを登録できません");
}

void Window::CreateNative(const wchar_t* className, DWORD exStyle, const wchar_t* text, DWORD style, int x, int y,
                          int width, int height, HWND parent, int id) {
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    HWND h = ::CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent, menu,
                               ::GetModuleHandleW(nullptr), this);
    if (!h) throw Failure(L"ウィンドウを作成できません");
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        try {
            Windows().emplace_back(hwnd, self);
        } catch (...) {  // no memory even for this: the window is not made
            return FALSE;
        }
    }
    Window* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);

    LRESULT result = 0;
    if (!RunHandler([&] { result = self->OnMessage(message, wParam, lParam); })) {
        // A failed WM_CREATE still lets the window be made: start-up goes on.
        result = (message == WM_NCCREATE) ? TRUE : 0;
    }
    if (message == WM_NCDESTROY) {
        std::erase_if(Windows(), [hwnd](const auto& entry) { return entry.first == hwnd; });
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace orbelune
