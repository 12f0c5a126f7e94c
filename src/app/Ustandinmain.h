// A minimal main window that serves until the real one exists: it answers
// the instance broadcasts (code 1 shows it, code 9 ends the program) and
// nothing else.
#pragma once

#include <windows.h>

#include <cstdint>

// Creates the main window as the application's main window and starts it
// with the command-line flags. Returns the window, or null when it could not
// be created.
HWND CreateMainForm(int32_t flags);
