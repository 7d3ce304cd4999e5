// Owning wrappers for Win32 handles: one template, one traits type per handle
// kind. Non-copyable, movable; the handle is released exactly once.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace orbelune {

template <typename Traits>
class Unique {
public:
    using Handle = typename Traits::Handle;

    Unique() noexcept = default;
    explicit Unique(Handle h) noexcept : h_(h) {}
    ~Unique() { Reset(); }

    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : h_(other.Release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }

    // Gives up ownership without closing.
    Handle Release() noexcept { return std::exchange(h_, Traits::Invalid()); }

    void Reset(Handle h = Traits::Invalid()) noexcept {
        const Handle old = std::exchange(h_, h);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

    // For out-parameters of Win32 calls: closes what is held first.
    Handle* Put() noexcept {
        Reset();
        return &h_;
    }

private:
    Handle h_ = Traits::Invalid();
};

template <typename H, auto CloseFn>
struct NullTraits {
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { CloseFn(h); }
};

inline void CloseHKey(HKEY h) noexcept { ::RegCloseKey(h); }
inline void CloseIcon(HICON h) noexcept { ::DestroyIcon(h); }
inline void CloseGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void CloseBitmap(HBITMAP h) noexcept { ::DeleteObject(h); }
inline void CloseFont(HFONT h) noexcept { ::DeleteObject(h); }
inline void CloseBrush(HBRUSH h) noexcept { ::DeleteObject(h); }
inline void CloseDc(HDC h) noexcept { ::DeleteDC(h); }
inline void CloseImageList(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
inline void CloseGlobal(HGLOBAL h) noexcept { ::GlobalFree(h); }
inline void CloseWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void CloseHook(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
inline void CloseMenu(HMENU h) noexcept { ::DestroyMenu(h); }

using UniqueHKey = Unique<NullTraits<HKEY, &CloseHKey>>;
using UniqueIcon = Unique<NullTraits<HICON, &CloseIcon>>;
using UniqueBitmap = Unique<NullTraits<HBITMAP, &CloseBitmap>>;
using UniqueFont = Unique<NullTraits<HFONT, &CloseFont>>;
using UniqueBrush = Unique<NullTraits<HBRUSH, &CloseBrush>>;
using UniqueDc = Unique<NullTraits<HDC, &CloseDc>>;
using UniqueImageList = Unique<NullTraits<HIMAGELIST, &CloseImageList>>;
using UniqueGlobal = Unique<NullTraits<HGLOBAL, &CloseGlobal>>;
using UniqueWindow = Unique<NullTraits<HWND, &CloseWindowHandle>>;
using UniqueHook = Unique<NullTraits<HHOOK, &CloseHook>>;
using UniqueMenu = Unique<NullTraits<HMENU, &CloseMenu>>;

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
using UniqueFile = Unique<FileHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};
using UniqueFind = Unique<FindHandleTraits>;

// A device context borrowed from a window with GetDC, given back on scope exit.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint and EndPaint around a WM_PAINT handler, with the window's
// client area filled in one colour first.
class PaintDc {
public:
    PaintDc(HWND hwnd, COLORREF background) noexcept : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {
        ::GetClientRect(hwnd, &client_);
        const HBRUSH brush = ::CreateSolidBrush(background);
        ::FillRect(dc_, &client_, brush);
        ::DeleteObject(brush);
    }
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC Get() const noexcept { return dc_; }
    RECT Client() const noexcept { return client_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
    RECT client_{};
};

// Selects a GDI object into a device context and puts the old one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace orbelune
