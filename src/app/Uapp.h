// The program's entry-point logic: command line, settings load, the close
// request, the instance mutex, the main window and the message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// The flag word of the command line; writes "Param(%d) %s" for every
// argument 1..argc-1. Switches match whole and ignore letter case.
int32_t ParseCommandLine(int argc, const char* const* argv);

// How long a starting instance waits for a running one that holds the mutex
// in a way this process cannot open.
struct InstanceRetry {
  int Attempts = 10;
  DWORD WaitMs = 3000;
};

// True when this process is now the only instance and holds the mutex in
// mutex; false (mutex null) when another instance runs or the mutex cannot
// be had.
bool CreateInstanceMutex(HANDLE& mutex, const InstanceRetry& retry = InstanceRetry());

// What the entry point creates and must release at the end.
struct StartupState {
  HANDLE Mutex = nullptr;
  // The program's result: 0, except for a script switch (app/Uscript.h).
  int ExitCode = 0;
  // A script run replaced the application's exception display; teardown
  // puts this one back.
  bool ScriptDisplay = false;
  std::function<void(const std::string&)> PreviousDisplay;
};

// Runs body under the entry point's exception guard, then the teardown of
// state (in every case). Returns state.ExitCode.
int RunGuarded(StartupState& state, const std::function<void(StartupState&)>& body);

// Creates the main window as the application's main window and calls its
// Start with the flag word; null when it cannot be created. Implemented by
// the main window's unit (Uformmain.cpp).
HWND CreateMainForm(int32_t flags);

// The whole entry point; the result of WinMain.
int RunProgram(int argc, const char* const* argv);
