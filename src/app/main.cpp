#include <windows.h>
// (needs the types of windows.h)
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/Uapp.h"
#include "config/Uunicode.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The wide command line: the ANSI one has already turned every character
  // outside the code page into '?'.
  int argc = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; wide && i < argc; ++i) args.push_back(Utf8(wide[i]));
  if (wide) LocalFree(wide);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  return RunProgram(static_cast<int>(args.size()), argv.data());
}
