#include "adapter/Ulibrarylock.h"

#include <atomic>

#include "adapter/Ucomxlib.h"
#include "app/Udebug.h"
#include "workers/Uthread.h"

namespace {

// Only one thread holds the lock at a time, so one holder serves all.
std::atomic<DWORD> g_Holder{0};

}  // namespace

namespace librarylock {

bool Acquire(HANDLE stopEvent, CThread* thread) {
  HANDLE sync = g_OmxLib.SynchEvent;
  if (!sync || !stopEvent || !g_OmxLib.IsBound()) return false;
  HANDLE handles[2] = {sync, stopEvent};
  const DWORD r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (r == WAIT_OBJECT_0) {
    g_Holder = GetCurrentThreadId();
    return true;
  }
  if (r == WAIT_OBJECT_0 + 1) {
    if (thread) thread->Terminate();
    SetEvent(stopEvent);
  }
  return false;
}

void Release() {
  // Signal first: a thread killed between the two steps then leaves a free
  // lock behind rather than one that nobody will ever release.
  if (g_OmxLib.SynchEvent) SetEvent(g_OmxLib.SynchEvent);
  DWORD self = GetCurrentThreadId();
  g_Holder.compare_exchange_strong(self, 0);
}

bool ReleaseIfHeldBy(DWORD threadId, const char* logLine) {
  HANDLE sync = g_OmxLib.SynchEvent;
  if (!sync || threadId == 0) return false;
  DWORD expected = threadId;
  if (!g_Holder.compare_exchange_strong(expected, 0)) return false;
  if (WaitForSingleObject(sync, 0) != WAIT_OBJECT_0 && logLine) LogWrite("%s", logLine);
  SetEvent(sync);
  return true;
}

DWORD Holder() {
  return g_Holder;
}

}  // namespace librarylock
