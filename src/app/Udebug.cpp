#include "app/Udebug.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/Uutility.h"

CDebugLog g_DebugLog;

namespace {

// The log exists before WinMain and lasts until the program ends.
struct LogLifetime {
  LogLifetime() { g_DebugLog.Open(); }
  ~LogLifetime() { g_DebugLog.Close(); }
};
LogLifetime g_logLifetime;

std::string FormatV(const char* format, va_list args) {
  if (!format) return std::string();
  try {
    va_list copy;
    va_copy(copy, args);
    char small[512];
    int n = vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, n);
    std::string big(static_cast<size_t>(n) + 1, '\0');
    vsnprintf(big.data(), big.size(), format, args);
    big.resize(n);
    return big;
  } catch (...) {
    return std::string();
  }
}

}  // namespace

CDebugLog::~CDebugLog() {
  Close();
}

void CDebugLog::Open(const char* exePath) {
  Close();
  char module[512] = {};
  if (exePath) {
    lstrcpynA(module, exePath, sizeof module);
  } else {
    GetModuleFileNameA(nullptr, module, sizeof module);
  }
  char drive[_MAX_DRIVE] = {}, dir[_MAX_DIR] = {}, name[_MAX_FNAME] = {}, ext[_MAX_EXT] = {};
  _splitpath(module, drive, dir, name, ext);
  baseName_ = name;
  const std::string folder = std::string(drive) + dir;
  path_ = folder + baseName_ + ".Log";
  if (!FileExists(path_)) return;  // no log file: logging stays off

  handle_ = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Held by another running instance: the first numbered file that does not
  // exist yet. An existing numbered file is never reused.
  for (int i = 0; handle_ == INVALID_HANDLE_VALUE && i < 100; ++i) {
    char numbered[_MAX_FNAME + 8];
    snprintf(numbered, sizeof numbered, "%s_%03d", baseName_.c_str(), i);
    path_ = folder + numbered + ".Log";
    handle_ = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle_ == INVALID_HANDLE_VALUE) return;

  // A file of exactly 4 GiB - 1 bytes also answers 0xFFFFFFFF; only the
  // error code tells a failure.
  SetLastError(NO_ERROR);
  if (SetFilePointer(handle_, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return;
  }
  static const char kStart[] = "== START LOG ==";
  WriteLine(kStart, sizeof kStart - 1);
}

void CDebugLog::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
}

void CDebugLog::WriteLine(const char* text, size_t length) const {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  HLOCAL buffer = LocalAlloc(LPTR, length + 2);
  if (!buffer) return;
  char* bytes = static_cast<char*>(buffer);
  if (length) memcpy(bytes, text, length);
  bytes[length] = '\r';
  bytes[length + 1] = '\n';
  DWORD written = 0;
  WriteFile(handle_, bytes, static_cast<DWORD>(length + 2), &written, nullptr);
  LocalFree(buffer);
}

void LogWrite(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string line = FormatV(format, args);
  va_end(args);
  g_DebugLog.WriteLine(line.data(), line.size());
}

void LogError(DWORD code, const char* format, ...) {
  std::string line;
  try {
    char* system = nullptr;
    FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 1024, reinterpret_cast<char*>(&system), 0, nullptr);
    char tail[64];
    snprintf(tail, sizeof tail, "ErrCode(%lx) ", static_cast<unsigned long>(code));
    if (format) {
      va_list args;
      va_start(args, format);
      line = FormatV(format, args);
      va_end(args);
      line += ' ';
    }
    line += tail;
    if (system) {
      line += system;
      LocalFree(system);
    }
  } catch (...) {
  }
  g_DebugLog.WriteLine(line.data(), line.size());
}
