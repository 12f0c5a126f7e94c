// A scratch folder of the soak programs, named after the program and the
// process, and its removal.
#pragma once
#include <windows.h>

#include <string>

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
