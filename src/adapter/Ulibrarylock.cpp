#include "adapter/Ulibrarylock.h"

#include <atomic>

#include "adapter/Ucomxlib.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "workers/Uthread.h"

namespace {

// Only one thread holds the lock at a time, so one holder serves all.
std::atomic<DWORD> g_Holder{0};

// Who holds the lock, as the system sees it. SynchEvent alone cannot tell:
// a thread killed after its wait took the event but before it wrote itself
// down as holder would leave the lock taken for good, and one killed after
// freeing it but before clearing the holder would have its killer free a
// lock that another thread just took. A mutex is released by the system
// when its owner dies, so the next taker (or the killer) finds it abandoned
// and knows the lock was left behind. SynchEvent still shows the state:
// signalled while the library is free.
HANDLE OwnerMutex() {
  static const HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  return mutex;
}

// The user-interface thread's total wait for the lock, in microseconds,
// kept as a property of the main window, so that a measuring tool can tell
// time spent waiting on the library from time spent in the program.
void NoteLockWait(LARGE_INTEGER start) {
  HWND owner = Application.MainWindow;
  if (!owner || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId()) return;
  static unsigned long long totalUs = 0;
  LARGE_INTEGER now, freq;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&freq);
  totalUs += static_cast<unsigned long long>(now.QuadPart - start.QuadPart) * 1000000 /
             static_cast<unsigned long long>(freq.QuadPart);
  SetPropA(owner, "WuLibLockWaitUs", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(totalUs)));
}

// Waits for the first of two handles; a wait that blocks is timed.
DWORD WaitFirst(HANDLE a, HANDLE b, LARGE_INTEGER* start, bool* waited) {
  HANDLE handles[2] = {a, b};
  const DWORD r = WaitForMultipleObjects(2, handles, FALSE, 0);
  if (r != WAIT_TIMEOUT) return r;
  if (!*waited) QueryPerformanceCounter(start);
  *waited = true;
  return WaitForMultipleObjects(2, handles, FALSE, INFINITE);
}

bool StopWait(HANDLE stopEvent, CThread* thread) {
  if (thread) thread->Terminate();
  SetEvent(stopEvent);
  return false;
}

}  // namespace

namespace librarylock {

bool Acquire(HANDLE stopEvent, CThread* thread) {
  HANDLE sync = g_OmxLib.SynchEvent;
  HANDLE mutex = OwnerMutex();
  if (!sync || !stopEvent || !mutex || !g_OmxLib.IsBound()) return false;
  LARGE_INTEGER start{};
  bool waited = false;
  DWORD r = WaitFirst(mutex, stopEvent, &start, &waited);
  if (r == WAIT_OBJECT_0 + 1) {
    if (waited) NoteLockWait(start);
    return StopWait(stopEvent, thread);
  }
  if (r == WAIT_ABANDONED_0) {
    // The last holder died inside: whether it had taken the event or not,
    // the lock is ours now.
    if (waited) NoteLockWait(start);
    LogWrite("librarylock: taken over from a thread that ended holding it");
    WaitForSingleObject(sync, 0);
    g_Holder = GetCurrentThreadId();
    return true;
  }
  if (r != WAIT_OBJECT_0) return false;
  r = WaitFirst(sync, stopEvent, &start, &waited);
  if (waited) NoteLockWait(start);
  if (r == WAIT_OBJECT_0) {
    g_Holder = GetCurrentThreadId();
    return true;
  }
  ReleaseMutex(mutex);
  return r == WAIT_OBJECT_0 + 1 ? StopWait(stopEvent, thread) : false;
}

void Release() {
  DWORD self = GetCurrentThreadId();
  g_Holder.compare_exchange_strong(self, 0);
  // Killed anywhere from here on, the thread leaves an abandoned mutex that
  // the next taker handles.
  if (g_OmxLib.SynchEvent) SetEvent(g_OmxLib.SynchEvent);
  ReleaseMutex(OwnerMutex());
}

bool ReleaseIfHeldBy(DWORD threadId, const char* logLine) {
  HANDLE sync = g_OmxLib.SynchEvent;
  HANDLE mutex = OwnerMutex();
  if (!sync || !mutex || threadId == 0) return false;
  // A living holder keeps the lock; the killed thread's hold, if it had
  // one, shows as an abandoned mutex.
  const DWORD r = WaitForSingleObject(mutex, 0);
  if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) return false;
  const bool abandoned = r == WAIT_ABANDONED;
  if (abandoned) {
    if (logLine) LogWrite("%s", logLine);
    WaitForSingleObject(sync, 0);
    SetEvent(sync);
  }
  DWORD expected = threadId;
  g_Holder.compare_exchange_strong(expected, 0);
  ReleaseMutex(mutex);
  return abandoned;
}

DWORD Holder() {
  return g_Holder;
}

}  // namespace librarylock
