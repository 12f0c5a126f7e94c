#include "debug.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace omx {

void Trace(const char* fmt, ...) {
  char buf[1024] = "OMXWL: ";
  const size_t prefix = 7;
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf + prefix, sizeof buf - prefix - 2, fmt, ap);
  va_end(ap);
  size_t n = std::strlen(buf);
  buf[n] = '\n';
  buf[n + 1] = 0;
  OutputDebugStringA(buf);
}

}  // namespace omx
