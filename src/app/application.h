// Start-up, the window set and the event loop.
//
// The application window is a hidden owner of the three forms: it carries
// the program's single task-bar entry under the application title and owns
// the failure box. Form1, Form2 and Form3 are created once and live until
// the program ends.
#pragma once

#include <windows.h>

namespace orbelune {

class TForm1;
class TForm2;
class TForm3;

inline constexpr wchar_t kApplicationTitle[] = L"Orbelune";

// The three windows, reachable from every handler.
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;

// Makes the application window (once). Before it exists, boxes have no owner.
void InitializeApplication();
HWND ApplicationWindow() noexcept;

// Creates Form1 (whose creation runs the catalogue load), then Form2 and
// Form3 hidden.
void CreateWindowSet();
// Destroys the three windows, last made first.
void DestroyWindowSet() noexcept;

// Shows the main window in the launcher's show state.
void ShowMainWindow(int showCommand);

// The event loop until the main window closes; gives the exit code.
int RunMessageLoop();

// One message as the event loop handles it (keyboard navigation included).
void ProcessMessage(MSG& msg);

// Hides the program into its task-bar entry, and brings it back.
void MinimizeApplication();
void RestoreApplication();

}  // namespace orbelune
