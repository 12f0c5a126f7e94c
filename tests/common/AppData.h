// The folder the library keeps a profile root's files in, under the
// application-data folder, removed after a test.
#pragma once

#include <windows.h>

#include <string>

namespace wutest {

// Removes what the library keeps for a profile root under the
// application-data folder: its files and the folder.
inline void RemoveAppDataFolder(const std::string& root) {
  char appData[MAX_PATH] = {};
  if (root.empty() || !GetEnvironmentVariableA("APPDATA", appData, MAX_PATH)) return;
  const std::string folder = std::string(appData) + "\\" + root;
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &f);
  if (h != INVALID_HANDLE_VALUE) {
    do DeleteFileA((folder + "\\" + f.cFileName).c_str());
    while (FindNextFileA(h, &f));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace wutest
