#include "adapter/Ufaultguard.h"

#include <intrin.h>

#include <cstdio>
#include <exception>

namespace {

thread_local unsigned t_Faults = 0;

// One guard's frame: the system's registration record first, so that the
// handler finds the rest from the frame pointer it is given.
struct GuardFrame {
  EXCEPTION_REGISTRATION_RECORD Reg;
  void* Jump[5];  // __builtin_setjmp buffer
  faultguard::Fault* Out;
};

bool IsHardwareFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
      return true;
    default:
      // Debug output, breakpoints and C++ exceptions of other compilers
      // are not faults; a stack overflow leaves no stack to recover on.
      return false;
  }
}

extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* frame,
                                                      CONTEXT*, void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
    return ExceptionContinueSearch;
  if (!IsHardwareFault(record->ExceptionCode)) return ExceptionContinueSearch;
  auto* guard = static_cast<GuardFrame*>(frame);
  guard->Out->Code = record->ExceptionCode;
  guard->Out->Address = record->ExceptionAddress;
  // Let the frames inside run their termination handlers and leave ours at
  // the head of the chain, as a compiler's __except does, then jump back.
  RtlUnwind(frame, nullptr, record, nullptr);
  __builtin_longjmp(guard->Jump, 1);
}

// Kept out of line: __builtin_setjmp needs a frame of its own that stays
// alive while the body runs.
__attribute__((noinline)) bool RunGuarded(GuardFrame* guard, void (*body)(void*), void* context) {
  if (__builtin_setjmp(guard->Jump)) {
    __writefsdword(0, reinterpret_cast<DWORD>(guard->Reg.Next));
    return false;
  }
  guard->Reg.Next = reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(__readfsdword(0));
  guard->Reg.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&GuardHandler);
  __writefsdword(0, reinterpret_cast<DWORD>(&guard->Reg));
  try {
    body(context);
  } catch (...) {
    __writefsdword(0, reinterpret_cast<DWORD>(guard->Reg.Next));
    throw;
  }
  __writefsdword(0, reinterpret_cast<DWORD>(guard->Reg.Next));
  return true;
}

}  // namespace

namespace faultguard {

bool Run(void (*body)(void*), void* context, Fault* fault) {
  Fault local;
  GuardFrame guard{};
  guard.Out = fault ? fault : &local;
  *guard.Out = Fault{};
  const bool finished = RunGuarded(&guard, body, context);
  if (!finished) ++t_Faults;
  return finished;
}

std::string Describe(const Fault& fault) {
  const char* what = "fault";
  switch (fault.Code) {
    case EXCEPTION_ACCESS_VIOLATION:
      what = "access violation";
      break;
    case EXCEPTION_ILLEGAL_INSTRUCTION:
      what = "illegal instruction";
      break;
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      what = "division by zero";
      break;
    case EXCEPTION_PRIV_INSTRUCTION:
      what = "privileged instruction";
      break;
    case EXCEPTION_IN_PAGE_ERROR:
      what = "page error";
      break;
    default:
      break;
  }
  char text[96];
  std::snprintf(text, sizeof text, "%s (0x%08lX) at 0x%08lX", what, fault.Code,
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(fault.Address)));
  return text;
}

unsigned ThreadFaults() {
  return t_Faults;
}

}  // namespace faultguard
