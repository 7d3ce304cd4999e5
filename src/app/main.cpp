#include "app/application.h"
#include "app/message_box.h"
#include "app/window.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "store/catalogue_load.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace {

// COM (and OLE) on the GUI thread for the program's lifetime: the shell's
// file-information call that gives another file's icon requires it.
class OleScope {
public:
    OleScope() noexcept {
        try {
            initialized_ = SUCCEEDED(::OleInitialize(nullptr));
        } catch (...) {  // ole32 could not be loaded: the program goes on without OLE
        }
    }
    ~OleScope() {
        try {
            if (initialized_) ::OleUninitialize();
        } catch (...) {  // loaded at its first call, which may fail: nothing to end then
        }
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

private:
    bool initialized_ = false;
};

// Writes a line to the standard error stream, if the program has one: to a
// console as UTF-16, to anything else (a pipe, a file, the terminal Wine
// forwards it to) as UTF-8.
void WriteStandardError(std::wstring_view line) noexcept {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    DWORD mode = 0;
    if (::GetConsoleMode(error, &mode)) {
        ::WriteConsoleW(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    try {
        const int length = static_cast<int>(line.size());
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), length, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return;
        std::string utf8(static_cast<std::size_t>(bytes), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line.data(), length, utf8.data(), bytes, nullptr, nullptr);
        ::WriteFile(error, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    } catch (...) {  // no memory for the conversion: nothing can be written
    }
}

// A failure that ends the program before or outside the event loop (the
// windows could not be made, e.g. without a usable display): shown in the
// system's message box where one can be shown, else written to the
// standard error stream.
void ReportFatalFailure(std::wstring_view message) noexcept {
    try {
        const std::wstring text = orbelune::FailureBoxText(message);
        // A box that could not be made gives 0 (Wine: -1); a shown one the button pressed.
        if (::MessageBoxW(nullptr, text.c_str(), orbelune::kApplicationTitle,
                          MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_SETFOREGROUND) > 0)
            return;
        WriteStandardError(std::wstring(orbelune::kApplicationTitle) + L": " + text + L"\r\n");
    } catch (...) {  // no memory left even for the text
        WriteStandardError(L"Orbelune: メモリが足りません\r\n");
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    std::optional<OleScope> ole;
    std::wstring failure;
    try {
        orbelune::InitializeApplication();
        // AppPath is the user's own: an installer run under an
        // administrator's account writes only that account's. A failure is
        // shown and start-up goes on.
        orbelune::RunHandler([] { orbelune::RecordProgramFolder(orbelune::ProgramFolder()); });
        orbelune::CreateMainWindow();
        orbelune::ShowMainWindow(showCommand);
        orbelune::PaintMainWindow();
        // Before the first event is handled, but after the main window is
        // shown and painted: the hidden windows and OLE's start are nothing
        // the user sees, and each costs a visible moment under Wine.
        orbelune::CreateSubWindows();
        ole.emplace();
        const int code = orbelune::RunMessageLoop();
        orbelune::DestroyWindowSet();
        return code;
    } catch (const orbelune::Failure& f) {
        failure = f.Message();
    } catch (const std::bad_alloc&) {
        failure = L"メモリが足りません";
    } catch (const std::exception&) {
        failure = orbelune::kUnexpectedFailure;
    }
    orbelune::DestroyWindowSet();
    ReportFatalFailure(failure);
    return 1;
}
