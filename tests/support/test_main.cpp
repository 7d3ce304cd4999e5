#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

// Wine brings the whole process down (a segmentation fault) when it ends while
// one of its threads is still starting, as googletest's own thread often is
// after a test's first trace. A thread has started once this callback sees it.
std::atomic<int> started{1};
void NTAPI CountStarted(PVOID, DWORD why, PVOID) { started += (why == DLL_THREAD_ATTACH) - (why == DLL_THREAD_DETACH); }
extern "C" __attribute__((used, section(".CRT$XLY"))) const PIMAGE_TLS_CALLBACK orbeluneCountStarted = CountStarted;

bool AllStarted() {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    int threads = 0;
    for (BOOL more = ::Thread32First(snapshot, &thread); more; more = ::Thread32Next(snapshot, &thread))
        threads += thread.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return threads <= started;
}

}  // namespace

int main(int argc, char** argv) {
    // A crash must end the test process, never wait on a dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    for (int wait = 0; wait < 1000 && !AllStarted(); ++wait) ::Sleep(10);  // 10 s at most
    return result;
}
