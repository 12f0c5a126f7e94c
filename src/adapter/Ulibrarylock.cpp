#include "adapter/Ulibrarylock.h"

#include <atomic>

#include "adapter/Ucomxlib.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "workers/Uthread.h"

namespace {

// Only one thread holds the lock at a time, so one holder serves all.
std::atomic<DWORD> g_Holder{0};

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

}  // namespace

namespace librarylock {

bool Acquire(HANDLE stopEvent, CThread* thread) {
  HANDLE sync = g_OmxLib.SynchEvent;
  if (!sync || !stopEvent || !g_OmxLib.IsBound()) return false;
  HANDLE handles[2] = {sync, stopEvent};
  DWORD r = WaitForMultipleObjects(2, handles, FALSE, 0);
  if (r == WAIT_TIMEOUT) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    NoteLockWait(start);
  }
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
