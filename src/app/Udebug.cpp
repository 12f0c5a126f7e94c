#include "app/Udebug.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/Uunicode.h"
#include "config/Uutility.h"

CDebugLog g_DebugLog;

namespace {

// The log exists before WinMain and lasts until the program ends.
struct LogLifetime {
  LogLifetime() { g_DebugLog.Open(); }
  ~LogLifetime() { g_DebugLog.Close(); }
};
LogLifetime g_logLifetime;

size_t FormatLine(char* out, size_t room, const char* format, va_list args);

std::string FormatV(const char* format, va_list args) {
  if (!format) return std::string();
  try {
    va_list copy;
    va_copy(copy, args);
    const size_t n = FormatLine(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n, '\0');
    FormatLine(text.data(), n, format, args);
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
  // Paths are UTF-8; split by hand, since the C runtime's splitter reads
  // them in the code page.
  std::string module;
  if (exePath) {
    module = exePath;
  } else {
    std::wstring wide(MAX_PATH, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
    wide.resize(n < wide.size() ? n : 0);
    module = Utf8(wide);
  }
  const size_t slash = module.find_last_of("\\/:");
  const std::string folder =
      slash == std::string::npos ? std::string() : module.substr(0, slash + 1);
  baseName_ = module.substr(folder.size());
  const size_t dot = baseName_.find_last_of('.');
  if (dot != std::string::npos) baseName_.resize(dot);
  path_ = folder + baseName_ + ".Log";
  if (!FileExists(path_)) return;  // no log file: logging stays off

  handle_ = CreateFileW(Wide(path_).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Held by another running instance: the first numbered file that does not
  // exist yet. An existing numbered file is never reused.
  for (int i = 0; handle_ == INVALID_HANDLE_VALUE && i < 100; ++i) {
    char number[16];
    snprintf(number, sizeof number, "_%03d", i);
    path_ = folder + baseName_ + number + ".Log";
    handle_ = CreateFileW(Wide(path_).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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

namespace {

// Formats into out (room for at most room bytes, no terminator) and answers
// the whole length, also when it did not fit. The program's own formatter:
// the C library's may wait for its locale or heap locks, which a writer that
// died can hold for good. It knows what the program logs: %d %i %u %x %X %c
// %s %p and %%, with the flags - and 0, a width (digits or *), a precision
// for %s and an l or h that changes nothing on this target (int and long are
// both 32 bits). Anything else is copied as it stands. Control bytes of a %s
// or %c argument are written as \xNN: whatever a network's name holds, a line
// stays one line and cannot pass for another.
size_t FormatLine(char* out, size_t room, const char* format, va_list args) {
  size_t n = 0;
  auto put = [&](char c) {
    if (n < room) out[n] = c;
    ++n;
  };
  auto padding = [&](size_t count, char c) {
    for (; count; --count) put(c);
  };
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      put(*p);
      continue;
    }
    const char* start = p++;
    bool left = false, zeros = false;
    for (;; ++p) {
      if (*p == '-') {
        left = true;
      } else if (*p == '0') {
        zeros = true;
      } else {
        break;
      }
    }
    size_t width = 0;
    if (*p == '*') {
      const int w = va_arg(args, int);
      if (w < 0) left = true;
      width = w < 0 ? 0u - static_cast<unsigned>(w) : static_cast<unsigned>(w);
      ++p;
    } else {
      for (; *p >= '0' && *p <= '9'; ++p) width = width * 10 + static_cast<size_t>(*p - '0');
    }
    size_t precision = static_cast<size_t>(-1);
    if (*p == '.') {
      ++p;
      precision = 0;
      if (*p == '*') {
        const int v = va_arg(args, int);
        precision = v < 0 ? static_cast<size_t>(-1) : static_cast<size_t>(v);
        ++p;
      } else {
        for (; *p >= '0' && *p <= '9'; ++p) {
          precision = precision * 10 + static_cast<size_t>(*p - '0');
        }
      }
    }
    if (*p == 'l' || *p == 'h') ++p;
    char digits[16];
    size_t count = 0;
    const char* text = digits;
    bool negative = false;
    bool escaped = false;
    switch (*p) {
      case '%':
        put('%');
        continue;
      case 'c':
        digits[0] = static_cast<char>(va_arg(args, int));
        count = 1;
        zeros = false;
        escaped = true;
        break;
      case 's': {
        text = va_arg(args, const char*);
        if (!text) text = "(null)";
        while (count < precision && text[count]) ++count;
        zeros = false;
        escaped = true;
        break;
      }
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
      case 'p': {
        unsigned value;
        if (*p == 'p') {
          // Eight hex digits, as the C library writes a pointer here.
          value = static_cast<unsigned>(reinterpret_cast<uintptr_t>(va_arg(args, void*)));
          if (width < 8) width = 8;
          zeros = !left;
        } else if (*p == 'd' || *p == 'i') {
          const int v = va_arg(args, int);
          negative = v < 0;
          value = negative ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
        } else {
          value = va_arg(args, unsigned);
        }
        const unsigned base = (*p == 'x' || *p == 'X' || *p == 'p') ? 16 : 10;
        const char* set = *p == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
        char* end = digits + sizeof digits;
        char* d = end;
        do {
          *--d = set[value % base];
          value /= base;
        } while (value);
        text = d;
        count = static_cast<size_t>(end - d);
        break;
      }
      default:
        // Not one the program uses: copied as written, the lone '%' too.
        if (!*p) --p;
        for (const char* q = start; q <= p; ++q) put(*q);
        continue;
    }
    auto control = [&](size_t i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      return escaped && (c < 0x20 || c == 0x7F);
    };
    size_t body = count + (negative ? 1 : 0);
    for (size_t i = 0; i < count; ++i) body += control(i) ? 3 : 0;
    const size_t pad = width > body ? width - body : 0;
    if (!left && !zeros) padding(pad, ' ');
    if (negative) put('-');
    if (!left && zeros) padding(pad, '0');
    for (size_t i = 0; i < count; ++i) {
      if (control(i)) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        put('\\');
        put('x');
        put("0123456789ABCDEF"[c >> 4]);
        put("0123456789ABCDEF"[c & 0xF]);
      } else {
        put(text[i]);
      }
    }
    if (left) padding(pad, ' ');
  }
  return n;
}

}  // namespace

// The line is formatted on the stack; one that is longer is measured and
// formatted again in pages of its own.
void LogWrite(const char* format, ...) {
  if (!g_DebugLog.IsOn()) return;
  CLineBuffer line;
  char* bytes = line.Room(CLineBuffer::kStack);
  size_t n = 0;
  if (format) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    // Two bytes are kept for the line end.
    n = FormatLine(bytes, CLineBuffer::kStack - 2, format, copy);
    va_end(copy);
    if (n > CLineBuffer::kStack - 2) {
      bytes = line.Room(n + 2);
      if (bytes) FormatLine(bytes, n, format, args);
    }
    va_end(args);
  }
  if (bytes) g_DebugLog.WriteTerminated(bytes, n);
}

void LogError(DWORD code, const char* format, ...) {
  std::string line;
  try {
    wchar_t* system = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 1024, reinterpret_cast<wchar_t*>(&system), 0, nullptr);
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
      line += Utf8(system);
      LocalFree(system);
    }
  } catch (...) {
  }
  g_DebugLog.WriteLine(line.data(), line.size());
}
