// What the soak programs share: a scratch folder named after the program
// and the process, its removal, and the names the library stores.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "config/Utext.h"

inline std::string TempFolder(const std::string& prefix) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

inline void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((dir + "*").c_str(), &f);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (f.cFileName[0] != '.') DeleteFileA((dir + f.cFileName).c_str());
    } while (FindNextFileA(h, &f));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

// What the library keeps for a profile root under the application-data
// folder.
inline void RemoveAppDataFolder(const std::string& root) {
  char appData[MAX_PATH] = {};
  if (!root.empty() && GetEnvironmentVariableA("APPDATA", appData, MAX_PATH))
    RemoveTree(std::string(appData) + "\\" + root + "\\");
}

// The profile names the library stores, in its order, read under the
// library lock like any caller of the program.
inline std::vector<std::string> StoredNames() {
  std::vector<std::string> names;
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  {
    CLibraryGuard lib(stop, nullptr);
    for (int i = 0; lib && i < 4096; ++i) {
      char b[256] = {};
      if (g_OmxLib.OMXWL_EnumWLProfiles(i, b) != 1) break;
      names.push_back(FieldText(b, sizeof b));
    }
  }
  CloseHandle(stop);
  return names;
}
