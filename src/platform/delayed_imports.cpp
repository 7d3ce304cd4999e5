// The file dialogs (comdlg32) and the shell's icon and drop functions
// (shell32) serve the sub-windows and dropped files only, OLE (ole32)
// starts once the main window is shown, and the accessibility functions
// (oleacc, oleaut32) answer screen readers only. Imported as usual, these
// DLLs and the further DLLs they import would be loaded and initialised
// before the first window; here they are loaded at the first call of one of
// these functions instead.
//
// A call of an imported function through the Windows headers reads the
// function's address from its import pointer ("__imp_" + the linker's name
// of the function). This file defines those pointers itself, so the import
// libraries' entries for these functions are not linked and the DLLs leave
// the program's import table. Each pointer starts at a stand-in with the same
// signature that loads the DLL from the system folder, puts the real
// function's address into the pointer and calls it; later calls go straight
// to the real function. A function of these DLLs not listed here is still
// imported the usual way and works all the same; its DLL is then loaded at
// start-up again.
//
// (MinGW-w64's own delay-import libraries from dlltool would do the same,
// but GNU ld 2.40 links their 32-bit stubs to address 0.)
#include "platform/failure.h"

#include <windows.h>
#include <commdlg.h>
#include <ole2.h>
#include <oleacc.h>
#include <shellapi.h>

#include <string>

namespace orbelune {
namespace {

// The function `name` of the system DLL `dll`, loaded on first use.
FARPROC DelayedFunction(const wchar_t* dll, const char* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    HMODULE module = nullptr;
    if (length > 0 && length < MAX_PATH) module = ::LoadLibraryW((std::wstring(folder, length) + L"\\" + dll).c_str());
    FARPROC function = module ? ::GetProcAddress(module, name) : nullptr;
    if (!function) Fail(L"'%s' を読み込めません", dll);
    return function;
}

}  // namespace
}  // namespace orbelune

// The linker's name of an import pointer: 32-bit names carry a leading
// underscore and the bytes of the arguments.
// NOLINTBEGIN(cppcoreguidelines-macro-usage): symbol names and definitions
// at namespace scope, which no function can make
#ifdef _WIN64
#define ORBELUNE_IMPORT_POINTER(function, argumentBytes) "__imp_" #function
#else
#define ORBELUNE_IMPORT_POINTER(function, argumentBytes) "__imp__" #function "@" #argumentBytes
#endif

// Defines the import pointer of `function` from `dll` and its stand-in.
// `parameters` and `arguments` spell the function's parameter list and the
// call passing them on.
#define ORBELUNE_DELAYED_IMPORT(dll, result, function, argumentBytes, parameters, arguments)                     \
    extern "C" {                                                                                                 \
    extern decltype(&::function) orbelune_import_##function asm(ORBELUNE_IMPORT_POINTER(function, argumentBytes)); \
    }                                                                                                            \
    namespace {                                                                                                  \
    result WINAPI FirstCall##function parameters {                                                               \
        orbelune_import_##function =                                                                             \
            reinterpret_cast<decltype(&::function)>(orbelune::DelayedFunction(dll, #function));                  \
        return orbelune_import_##function arguments;                                                             \
    }                                                                                                            \
    }                                                                                                            \
    extern "C" {                                                                                                 \
    decltype(&::function) orbelune_import_##function = FirstCall##function;                                      \
    }

// The same for a function that the headers declare without dllimport: its
// calls go to the function's own name, so this defines the function too.
#define ORBELUNE_DELAYED_FUNCTION(dll, result, function, argumentBytes, parameters, arguments)  \
    ORBELUNE_DELAYED_IMPORT(dll, result, function, argumentBytes, parameters, arguments)          \
    extern "C" result WINAPI function parameters { return orbelune_import_##function arguments; }
// NOLINTEND(cppcoreguidelines-macro-usage)

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables): import pointers, which the linker's
// import calls read and the first call replaces

ORBELUNE_DELAYED_IMPORT(L"comdlg32.dll", BOOL, GetOpenFileNameW, 4, (LPOPENFILENAMEW dialog), (dialog))
ORBELUNE_DELAYED_IMPORT(L"comdlg32.dll", BOOL, GetSaveFileNameW, 4, (LPOPENFILENAMEW dialog), (dialog))
ORBELUNE_DELAYED_IMPORT(L"shell32.dll", HICON, ExtractIconW, 12, (HINSTANCE instance, LPCWSTR file, UINT index),
                        (instance, file, index))
ORBELUNE_DELAYED_IMPORT(L"shell32.dll", DWORD_PTR, SHGetFileInfoW, 20,
                        (LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT infoSize, UINT flags),
                        (path, attributes, info, infoSize, flags))
ORBELUNE_DELAYED_IMPORT(L"shell32.dll", UINT, DragQueryFileW, 16, (HDROP drop, UINT index, LPWSTR file, UINT size),
                        (drop, index, file, size))
ORBELUNE_DELAYED_IMPORT(L"shell32.dll", BOOL, DragQueryPoint, 8, (HDROP drop, POINT* point), (drop, point))
ORBELUNE_DELAYED_IMPORT(L"shell32.dll", void, DragFinish, 4, (HDROP drop), (drop))
ORBELUNE_DELAYED_IMPORT(L"ole32.dll", HRESULT, OleInitialize, 4, (LPVOID reserved), (reserved))
ORBELUNE_DELAYED_IMPORT(L"ole32.dll", void, OleUninitialize, 0, (), ())
ORBELUNE_DELAYED_FUNCTION(L"oleacc.dll", HRESULT, CreateStdAccessibleObject, 16,
                          (HWND hwnd, LONG object, REFIID iid, void** result), (hwnd, object, iid, result))
ORBELUNE_DELAYED_FUNCTION(L"oleacc.dll", LRESULT, LresultFromObject, 12,
                          (REFIID iid, WPARAM wParam, LPUNKNOWN object), (iid, wParam, object))
ORBELUNE_DELAYED_IMPORT(L"oleaut32.dll", BSTR, SysAllocStringLen, 8, (const OLECHAR* text, UINT length),
                        (text, length))
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

#pragma GCC diagnostic pop
