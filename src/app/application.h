// Start-up, the window set and the event loop.
//
// The application window is a hidden owner of the three forms: it carries
// the program's single task-bar entry under the application title and owns
// the failure box. The main window, the link-target browser and the icon
// picker are created once and live until the program ends.
#pragma once

#include "app/application_window.h"

#include <windows.h>

namespace orbelune {

// Makes the application window (once, app/application_window.h). Before it
// exists, boxes have no owner. The windows never reach each other: what one
// needs of another is wired in application.cpp when the set is made.
void InitializeApplication();

// Creates the main window (whose creation runs the catalogue load).
void CreateMainWindow();
// Creates the link-target browser and the icon picker, hidden. Start-up
// makes them once the main window is painted, before the first event.
void CreateSubWindows();
// Both, in that order.
void CreateWindowSet();
// Destroys the three windows, last made first.
void DestroyWindowSet() noexcept;

// Shows the main window in the launcher's show state.
void ShowMainWindow(int showCommand);

// Paints the shown main window and its controls now, before anything else
// that start-up still does keeps the first event waiting.
void PaintMainWindow();

// The event loop until the main window closes; gives the exit code.
int RunMessageLoop();

// One message as the event loop handles it (keyboard navigation included).
void ProcessMessage(MSG& msg);

// Hides the program into its task-bar entry, and brings it back.
void MinimizeApplication();
void RestoreApplication();

}  // namespace orbelune
