// Debug texts of the library go to the debugger only (OutputDebugStringA),
// never to a file beside the program.
#pragma once

namespace omx {

void Trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace omx
