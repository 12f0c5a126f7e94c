#include <windows.h>

#include <cstdlib>

#include "app/Uapp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return RunProgram(__argc, __argv);
}
