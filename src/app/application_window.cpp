#include "app/application_window.h"

namespace orbelune {

namespace {
HWND applicationWindow = nullptr;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): one per process
}  // namespace

HWND ApplicationWindow() noexcept { return applicationWindow; }
void SetApplicationWindow(HWND window) noexcept { applicationWindow = window; }

}  // namespace orbelune
