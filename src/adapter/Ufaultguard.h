// Recovery from a hardware fault (an access violation, say) raised by code
// the program does not control: the vendor library, or the system's IP
// helper. i686 mingw has no __try, so a guard registers its own frame-based
// exception handler and a recovery point; code deeper inside that handles
// its own exceptions still sees them first. A fault that nothing inside
// handles abandons the guarded code where it stood and the guard returns
// false. Destructors of the abandoned frames do not run: guard only calls
// that own nothing of ours, and free what they held on the failure path.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace faultguard {

struct Fault {
  DWORD Code = 0;
  void* Address = nullptr;
};

// Runs body(context). False when a hardware fault ended it (fault says
// which). A C++ exception from body passes through unchanged.
bool Run(void (*body)(void*), void* context, Fault* fault);

template <typename F>
bool Run(F&& f, Fault* fault) {
  return Run([](void* p) { (*static_cast<std::remove_reference_t<F>*>(p))(); },
             const_cast<void*>(static_cast<const void*>(&f)), fault);
}

// "access violation (0xC0000005) at 0x6A1C2B30"
std::string Describe(const Fault& fault);

// Faults this thread recovered from so far; a guard that must log its own
// text compares the count before and after its calls.
unsigned ThreadFaults();

}  // namespace faultguard
