// Helpers for the core tests: private temp folders, file access, capturing
// the debug log. Child processes and the application-data clean-up are
// common/Process.h and common/AppData.h, waiting is common/WaitUntil.h.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Udebug.h"
#include "common/AppData.h"
#include "common/Process.h"
#include "common/WaitUntil.h"

namespace wutest {

inline std::string ModuleDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.find_last_of('\\') + 1);
}

inline bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Reads a file even while another handle holds it open for writing.
inline std::string ReadText(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
  CloseHandle(h);
  return text;
}

// Lines of a CR LF text (the last, empty piece after the final CR LF is
// dropped).
inline std::vector<std::string> SplitLines(const std::string& text) {
  // Lines end in LF or CR LF.
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

inline bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const auto& l : lines) {
    if (l == line) return true;
  }
  return false;
}

inline bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const auto& l : lines) {
    if (l.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

// A unique folder below the temp directory, removed with its files.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    char name[64];
    snprintf(name, sizeof name, "wutest_%lu_%d_%lu", GetCurrentProcessId(), counter++,
             GetTickCount());
    path_ = std::string(temp) + name + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempDir() { RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string full = dir + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(full + "\\");
        } else {
          SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
  }
  std::string path_;
};

// Points the process-wide debug log at a fresh file for the life of the
// object; afterwards the log is reopened for the test program itself.
class LogCapture {
 public:
  LogCapture() {
    WriteText(dir_ / "capture.Log", "");
    g_DebugLog.Open((dir_ / "capture.exe").c_str());
  }
  ~LogCapture() { g_DebugLog.Open(); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::string Text() const { return ReadText(dir_ / "capture.Log"); }
  // The lines written since the capture began (the start marker dropped).
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines = SplitLines(Text());
    if (!lines.empty() && lines.front() == "== START LOG ==") lines.erase(lines.begin());
    return lines;
  }

 private:
  TempDir dir_;
};

struct WindowQuery {
  DWORD Pid;
  const char* Class;
  std::vector<HWND> Found;
};

inline BOOL CALLBACK CollectWindow(HWND w, LPARAM p) {
  auto* q = reinterpret_cast<WindowQuery*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner != q->Pid) return TRUE;
  if (q->Class) {
    char cls[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, q->Class) != 0) return TRUE;
  }
  q->Found.push_back(w);
  return TRUE;
}

// Top-level windows that belong to a process (of one class when given).
inline std::vector<HWND> WindowsOf(DWORD pid, const char* className = nullptr) {
  WindowQuery q{pid, className, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&q));
  return q.Found;
}

inline bool HasChildText(HWND parent, const std::string& text) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char buf[512] = {};
    GetWindowTextA(c, buf, sizeof buf);
    if (text == buf) return true;
  }
  return false;
}

// Waits for a message box of process pid that shows text, then presses
// the button with the given command id. Returns the box's caption, or
// "<none>" when no such box appeared in time or done() came true first.
template <typename F>
std::string AnswerMessageBox(DWORD pid, const std::string& text, int command, F&& done,
                             DWORD timeoutMs = 30000) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND b : WindowsOf(pid, "#32770")) {
          if (HasChildText(b, text)) box = b;
        }
        return box != nullptr || done();
      },
      timeoutMs);
  if (!box) return "<none>";
  char caption[256] = {};
  GetWindowTextA(box, caption, sizeof caption);
  PostMessageA(box, WM_COMMAND, command, 0);
  return caption;
}

}  // namespace wutest
