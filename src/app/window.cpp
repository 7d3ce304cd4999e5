#include "app/window.h"

namespace orbelune {

namespace {
// Marks windows whose user data is a Window object.
constexpr wchar_t kOwnerProperty[] = L"Orbelune.Window";
}  // namespace

Window::~Window() { Destroy(); }

void Window::Destroy() noexcept {
    if (hwnd_) ::DestroyWindow(hwnd_);  // WM_NCDESTROY detaches the object
}

Window* Window::FromHandle(HWND hwnd) noexcept {
    if (!hwnd || !::GetPropW(hwnd, kOwnerProperty)) return nullptr;
    return reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        ::SetPropW(hwnd, kOwnerProperty, reinterpret_cast<HANDLE>(1));
    }
    Window* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);

    LRESULT result = 0;
    if (!RunHandler([&] { result = self->OnMessage(message, wParam, lParam); })) {
        // A failed WM_CREATE still lets the window be made: start-up goes on.
        result = (message == WM_NCCREATE) ? TRUE : 0;
    }
    if (message == WM_NCDESTROY) {
        ::RemovePropW(hwnd, kOwnerProperty);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace orbelune
