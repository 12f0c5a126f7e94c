// The program's own periods (detection bursts, the worker's pauses and
// polls, the waits for a stopping thread, the balloon interval) go through
// timescale::Ms. The scale is 1 in the program; a test run may set another
// so that the same code paths run in a fraction of the time.
#pragma once

#include <windows.h>

namespace timescale {

// ms scaled; never 0 for a non-zero period; INFINITE stays INFINITE.
DWORD Ms(DWORD ms);
// The scale in use, and a new one (a positive factor).
double Get();
void Set(double scale);

// Sets a scale for its scope and puts the previous one back.
class CScoped {
 public:
  explicit CScoped(double scale) : previous_(Get()) { Set(scale); }
  ~CScoped() { Set(previous_); }
  CScoped(const CScoped&) = delete;
  CScoped& operator=(const CScoped&) = delete;

 private:
  double previous_;
};

}  // namespace timescale
