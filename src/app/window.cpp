#include "app/window.h"

namespace orbelune {

namespace {
// Marks windows whose user data is a Window object.
constexpr wchar_t kOwnerProperty[] = L"Orbelune.Window";
// The per-monitor DPI calls of newer systems, looked up once.
struct DpiCalls {
    UINT(WINAPI* getDpiForSystem)() = nullptr;
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;

    DpiCalls() {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        if (!user32) return;
        Find(user32, "GetDpiForSystem", getDpiForSystem);
        Find(user32, "GetDpiForWindow", getDpiForWindow);
        Find(user32, "AdjustWindowRectExForDpi", adjustWindowRectExForDpi);
        Find(user32, "SystemParametersInfoForDpi", systemParametersInfoForDpi);
        Find(user32, "GetSystemMetricsForDpi", getSystemMetricsForDpi);
    }
    template <typename Function>
    static void Find(HMODULE module, const char* name, Function& function) {
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
};

const DpiCalls& Dpi() {
    static const DpiCalls calls;
    return calls;
}

}  // namespace

int SystemDpi() noexcept {
    if (Dpi().getDpiForSystem) return static_cast<int>(Dpi().getDpiForSystem());
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kLayoutDpi;
}

int WindowDpi(HWND hwnd) noexcept {
    if (hwnd && Dpi().getDpiForWindow) {
        if (const UINT dpi = Dpi().getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) noexcept {
    RECT frame{0, 0, clientWidth, clientHeight};
    if (!Dpi().adjustWindowRectExForDpi ||
        !Dpi().adjustWindowRectExForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return frame;
}

NONCLIENTMETRICSW NonClientMetrics(int dpi) noexcept {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!Dpi().systemParametersInfoForDpi ||
        !Dpi().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics;
}

int SystemMetric(int index, int dpi) noexcept {
    if (Dpi().getSystemMetricsForDpi) return Dpi().getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    return ::GetSystemMetrics(index);
}

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
