// A window object: one static window procedure per window class attaches
// the object at WM_NCCREATE and forwards every message to OnMessage. The
// procedure is the failure boundary: a failure that leaves a handler is shown
// in the failure box and never crosses into Windows.
#pragma once

#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>

#include "app/dpi.h"
#include "app/message_box.h"
#include "platform/failure.h"

namespace orbelune {

// What a user is told of a failure that is neither the program's own nor a
// lack of memory.
inline constexpr wchar_t kUnexpectedFailure[] = L"予期しないエラーのため、処理を中止しました";

// Runs a handler; a failure ends it and is shown in the failure box.
// Returns whether the handler ran to its end.
template <typename Handler>
bool RunHandler(Handler&& handler) noexcept {
    try {
        try {
            handler();
            return true;
        } catch (const Failure& failure) {
            ShowFailure(failure.Message());
        } catch (const std::bad_alloc&) {
            ShowFailure(L"メモリが足りません");
        } catch (const std::exception&) {
            // The library's own text is no message for a user.
            ShowFailure(kUnexpectedFailure);
        }
    } catch (...) {
        // Showing the failure failed as well; nothing more can be done.
    }
    return false;
}

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return hwnd_; }

    // Destroys the native window. Derived windows call it from their own
    // destructor, so that their handlers still see WM_DESTROY.
    void Destroy() noexcept;

    // The object attached to a window made by this class, or nullptr.
    static Window* FromHandle(HWND hwnd) noexcept;

    // Registers a window class whose procedure is Window's own.
    static void RegisterWindowClass(const wchar_t* className, HBRUSH background, UINT style = 0);

protected:
    // Makes the native window; messages reach OnMessage from WM_NCCREATE on.
    void CreateNative(const wchar_t* className, DWORD exStyle, const wchar_t* text, DWORD style, int x, int y,
                      int width, int height, HWND parent, int id = 0);

    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace orbelune
