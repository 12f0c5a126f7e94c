// The process-wide library lock: every call into the vendor library, from
// any thread, is made while holding it. It is g_OmxLib.SynchEvent, an
// auto-reset event that is signalled while the library is free. A wait for
// it also watches the waiting thread's stop event, so stopping a thread
// aborts the wait. Behind the event a mutex records the holder as the
// system sees it: a thread killed at any point while it takes, holds or
// frees the lock leaves that mutex abandoned, so its killer (or the next
// taker) frees the lock for it and never frees one that a living thread
// holds.
#pragma once

#include <windows.h>

class CThread;

namespace librarylock {

// How long the interface thread waits for the lock before it gives up: a
// window that answers within this is still a window that answers.
constexpr DWORD kInterfaceWaitMs = 50;

// The bound for interface-thread work that cannot wait its turn in a queue:
// an adapter being made (its identity and profile list are read once, and
// detection may hold the lock a while) and a script's request, whose sender
// waits for the answer.
constexpr DWORD kInterfaceLongWaitMs = 2000;

// Names the interface thread (0: none). Only its waits are bounded.
void SetInterfaceThread(DWORD threadId);
DWORD InterfaceThread();

// Waits for the lock or for stopEvent. On the stop event the thread object
// (may be null) is marked terminated and stopEvent is set again, so every
// later wait of that thread sees the stop too. False also when the library
// is not bound. On the interface thread the wait ends after
// timescale::Ms(kInterfaceWaitMs): logged with the holder, false, and
// TimedOut() tells it from a refusal.
bool Acquire(HANDLE stopEvent, CThread* thread);
// The calling thread's last Acquire ended because the bound passed.
bool TimedOut();
// The interface thread's timed-out waits so far (a caller compares two
// readings to learn whether anything it ran missed the lock).
unsigned TimeoutCount();
// The lock can be had now: taken and at once freed, waiting as Acquire does
// (bounded on the interface thread). For callers that decide whether to run
// an action now or queue it.
bool Available();
// After a wait that gave up, the next Release posts msg to wnd once, so
// whoever gave up learns that the lock is free. Posting only: the releasing
// thread may hold nothing that the window's thread waits for.
void WakeOnRelease(HWND wnd, UINT msg);
// Frees the lock held by the calling thread.
void Release();
// After thread threadId was killed: frees the lock if that thread held it,
// writing logLine when the lock was really taken. True when it was freed.
bool ReleaseIfHeldBy(DWORD threadId, const char* logLine);
// The thread that holds the lock (0: none).
DWORD Holder();

// The interface thread's bound is ms (before timescale) for the scope.
class CInterfaceBound {
 public:
  explicit CInterfaceBound(DWORD ms);
  ~CInterfaceBound();
  CInterfaceBound(const CInterfaceBound&) = delete;
  CInterfaceBound& operator=(const CInterfaceBound&) = delete;

 private:
  DWORD previous_;
};

}  // namespace librarylock

// Holds the library lock for its scope, so no return path can leave it
// taken. Test it before calling the library:
//   CLibraryGuard lib(StopEvent, this);
//   if (!lib) return;
class CLibraryGuard {
 public:
  CLibraryGuard(HANDLE stopEvent, CThread* thread)
      : stopEvent_(stopEvent), thread_(thread), held_(librarylock::Acquire(stopEvent, thread)) {}
  ~CLibraryGuard() { Release(); }
  CLibraryGuard(const CLibraryGuard&) = delete;
  CLibraryGuard& operator=(const CLibraryGuard&) = delete;

  explicit operator bool() const { return held_; }
  // Frees the lock before the scope ends; a second call does nothing.
  void Release() {
    if (held_) librarylock::Release();
    held_ = false;
  }
  // Takes the lock again after Release (a worker that pauses without it);
  // false when the wait ended without it.
  bool Retake() {
    if (!held_) held_ = librarylock::Acquire(stopEvent_, thread_);
    return held_;
  }

 private:
  HANDLE stopEvent_;
  CThread* thread_;
  bool held_;
};
