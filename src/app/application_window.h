// The program's title and its application window: the hidden window that
// carries the single task-bar entry and owns every form and box. The
// composition root makes the window and names it here; the toolkit and the
// forms only read it.
#pragma once

#include <windows.h>

namespace orbelune {

inline constexpr wchar_t kApplicationTitle[] = L"Orbelune";

// The application window; nullptr before it is made (boxes then have no
// owner).
HWND ApplicationWindow() noexcept;
void SetApplicationWindow(HWND window) noexcept;

}  // namespace orbelune
