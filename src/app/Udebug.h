// The process-wide debug log. Switched on by the mere existence of
// "<exe>.Log" beside the program; every line is one WriteFile call.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

class CDebugLog {
 public:
  CDebugLog() = default;
  ~CDebugLog();
  CDebugLog(const CDebugLog&) = delete;
  CDebugLog& operator=(const CDebugLog&) = delete;

  // Opens the log for the given executable path (the running program's own
  // path when null). Decided once; see the numbered fallbacks in Udebug.cpp.
  void Open(const char* exePath = nullptr);
  void Close();
  bool IsOn() const { return handle_ != INVALID_HANDLE_VALUE; }
  const std::string& Path() const { return path_; }

  // Writes text plus CR LF with a single WriteFile call; nothing when off.
  // Takes no lock and nothing from a heap for lines up to 1 KiB.
  void WriteLine(const char* text, size_t length) const;
  // The same for length bytes at bytes, which has room for two more: the
  // line end is put there.
  void WriteTerminated(char* bytes, size_t length) const;

 private:
  std::string path_;
  std::string baseName_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

extern CDebugLog g_DebugLog;

// The compiler checks every format against its arguments: a mismatch cannot
// be caught at run time. Lines are formatted by the log's own formatter,
// which knows %d %i %u %x %X %c %s and %% with the flags - and 0, a width
// and, for %s, a precision (see FormatLine in Udebug.cpp).
#define WU_PRINTF_FORMAT(f, a) __attribute__((format(ms_printf, f, a)))

// printf-style, one line, no time stamp or level.
void LogWrite(const char* format, ...) WU_PRINTF_FORMAT(1, 2);
// "<formatted> ErrCode(%x) <system text>", or "ErrCode(%x) <system text>"
// when format is null.
void LogError(DWORD code, const char* format, ...) WU_PRINTF_FORMAT(2, 3);
