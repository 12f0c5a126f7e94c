#include "debug.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace omx {

void Trace(const char* fmt, ...) {
  char text[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  // Whatever a caller or a world file put into an argument, one trace is one
  // line: control bytes that got this far are written as \xNN.
  char buf[sizeof text + 16] = "OMXWL: ";
  size_t n = 7;
  for (const char* p = text; *p && n + 4 + 2 <= sizeof buf; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c == 0x7F)
      n += std::snprintf(buf + n, 5, "\\x%02X", c);
    else
      buf[n++] = *p;
  }
  buf[n] = '\n';
  buf[n + 1] = 0;
  OutputDebugStringA(buf);
}

}  // namespace omx
