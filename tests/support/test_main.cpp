#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>

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

// The platform makes an icon of an image with a 12-byte header from a heap
// copy of its header that it then reads further than it wrote (see
// kAlphaTestEnd): whatever lies there decides whether it tests the image for
// an alpha channel, so that one image may give two icons from one call to
// the next, the platform's own extraction and the program's alike. In the
// tests every allocation of user32 reads as zeros, so that both come out
// the one way and are compared. Returns the import slots changed.
LPVOID WINAPI ZeroedAllocation(HANDLE heap, DWORD flags, SIZE_T size) {
    return ::HeapAlloc(heap, flags | HEAP_ZERO_MEMORY, size);
}

int ZeroUser32Allocations() {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(L"user32.dll"));
    if (!base) return 0;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int changed = 0;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            if (std::strcmp(name, "HeapAlloc") != 0 && std::strcmp(name, "RtlAllocateHeap") != 0) continue;
            DWORD protection = 0;
            if (!::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection)) continue;
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(&ZeroedAllocation);
            ::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            ++changed;
        }
    }
    return changed;
}

}  // namespace

int main(int argc, char** argv) {
    // A crash must end the test process, never wait on a dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (ZeroUser32Allocations() == 0) {
        std::fputs("test_main: user32's heap allocations could not be made to read as zeros\n", stderr);
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    for (int wait = 0; wait < 1000 && !AllStarted(); ++wait) ::Sleep(10);  // 10 s at most
    return result;
}
