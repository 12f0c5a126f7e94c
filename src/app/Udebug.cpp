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
    const int n = _vscprintf(format, copy);
    va_end(copy);
    if (n <= 0) return std::string();
    std::string text(static_cast<size_t>(n) + 1, '\0');
    _vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(n));
    return text;
  } catch (...) {
    return std::string();
  }
}

// The bytes of one line: on the stack when it is short, else in pages of
// its own. Never from a heap: a writer that dies while it holds a heap's
// lock would keep every other thread from logging, and from much else.
class CLineBuffer {
 public:
  static constexpr size_t kStack = 1024;
  CLineBuffer() = default;
  ~CLineBuffer() {
    if (pages_) VirtualFree(pages_, 0, MEM_RELEASE);
  }
  CLineBuffer(const CLineBuffer&) = delete;
  CLineBuffer& operator=(const CLineBuffer&) = delete;

  // Room for n bytes; null when the system has none.
  char* Room(size_t n) {
    if (n <= kStack) return stack_;
    if (pages_ && n <= size_) return pages_;
    if (pages_) VirtualFree(pages_, 0, MEM_RELEASE);
    pages_ = static_cast<char*>(VirtualAlloc(nullptr, n, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    size_ = pages_ ? n : 0;
    return pages_;
  }

 private:
  char stack_[kStack];
  char* pages_ = nullptr;
  size_t size_ = 0;
};

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
  CLineBuffer line;
  char* bytes = line.Room(length + 2);
  if (!bytes) return;
  if (length) memcpy(bytes, text, length);
  WriteTerminated(bytes, length);
}

void CDebugLog::WriteTerminated(char* bytes, size_t length) const {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  bytes[length] = '\r';
  bytes[length + 1] = '\n';
  // One call per line and no lock of ours: lines of different threads never
  // mix, and a writer that dies in the middle takes nothing with it.
  DWORD written = 0;
  WriteFile(handle_, bytes, static_cast<DWORD>(length + 2), &written, nullptr);
}

// The system C library's formatter: it takes no heap lock for the formats
// the program logs (MinGW's own takes the process heap's).
void LogWrite(const char* format, ...) {
  CLineBuffer line;
  char* bytes = line.Room(CLineBuffer::kStack);
  int n = 0;
  if (format) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    // Two bytes are kept for the line end and one for the terminator; a
    // longer line answers -1 and is measured.
    n = _vsnprintf(bytes, CLineBuffer::kStack - 3, format, copy);
    va_end(copy);
    if (n < 0) {
      va_copy(copy, args);
      n = _vscprintf(format, copy);
      va_end(copy);
      bytes = n < 0 ? line.Room(CLineBuffer::kStack) : line.Room(static_cast<size_t>(n) + 3);
      if (n < 0) {
        n = 0;
      } else if (bytes) {
        _vsnprintf(bytes, static_cast<size_t>(n) + 1, format, args);
      }
    }
    va_end(args);
  }
  if (bytes) g_DebugLog.WriteTerminated(bytes, static_cast<size_t>(n));
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
