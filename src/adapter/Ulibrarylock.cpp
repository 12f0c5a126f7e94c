#include "adapter/Ulibrarylock.h"

#include <atomic>

#include "adapter/Ucomxlib.h"
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
  HANDLE owner[2] = {mutex, stopEvent};
  DWORD r = WaitForMultipleObjects(2, owner, FALSE, INFINITE);
  if (r == WAIT_OBJECT_0 + 1) return StopWait(stopEvent, thread);
  if (r == WAIT_ABANDONED_0) {
    // The last holder died inside: whether it had taken the event or not,
    // the lock is ours now.
    LogWrite("librarylock: taken over from a thread that ended holding it");
    WaitForSingleObject(sync, 0);
    g_Holder = GetCurrentThreadId();
    return true;
  }
  if (r != WAIT_OBJECT_0) return false;
  HANDLE event[2] = {sync, stopEvent};
  r = WaitForMultipleObjects(2, event, FALSE, INFINITE);
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
