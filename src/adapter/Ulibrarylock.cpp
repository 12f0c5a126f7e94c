#include "adapter/Ulibrarylock.h"

#include <atomic>

#include "adapter/Ucomxlib.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "app/Utimescale.h"
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

std::atomic<DWORD> g_Interface{0};
// Read and written by the interface thread only.
bool g_InterfaceTimedOut = false;
DWORD g_InterfaceBoundMs = librarylock::kInterfaceWaitMs;
std::atomic<unsigned> g_Timeouts{0};

std::atomic<HWND> g_WakeWnd{nullptr};
std::atomic<UINT> g_WakeMsg{0};
std::atomic<bool> g_WakeArmed{false};

// The wait of one Acquire: without end, or for the interface thread until
// a deadline shared by both of its steps.
struct Wait {
  bool bounded = false;
  DWORD start = 0;
  DWORD bound = INFINITE;

  DWORD Left() const {
    if (!bounded) return INFINITE;
    const DWORD spent = GetTickCount() - start;
    return spent >= bound ? 0 : bound - spent;
  }
};

// Waits for the first of two handles; a wait that blocks is timed.
DWORD WaitFirst(HANDLE a, HANDLE b, LARGE_INTEGER* start, bool* waited, const Wait& wait) {
  HANDLE handles[2] = {a, b};
  const DWORD r = WaitForMultipleObjects(2, handles, FALSE, 0);
  if (r != WAIT_TIMEOUT) return r;
  if (!*waited) QueryPerformanceCounter(start);
  *waited = true;
  return WaitForMultipleObjects(2, handles, FALSE, wait.Left());
}

bool GiveUp(const Wait& wait) {
  g_InterfaceTimedOut = true;
  ++g_Timeouts;
  LogWrite("librarylock: the interface thread gave up after %lu ms, thread %lu holds the library",
           static_cast<unsigned long>(GetTickCount() - wait.start),
           static_cast<unsigned long>(g_Holder.load()));
  return false;
}

bool StopWait(HANDLE stopEvent, CThread* thread) {
  if (thread) thread->Terminate();
  SetEvent(stopEvent);
  return false;
}

}  // namespace

namespace librarylock {

void SetInterfaceThread(DWORD threadId) {
  g_Interface = threadId;
}

DWORD InterfaceThread() {
  return g_Interface;
}

bool TimedOut() {
  return g_Interface != 0 && GetCurrentThreadId() == g_Interface && g_InterfaceTimedOut;
}

unsigned TimeoutCount() {
  return g_Timeouts;
}

bool Available() {
  if (!g_OmxLib.SynchEvent) return false;
  // Its own stop event: the lock is only looked at, no thread is stopped.
  static const HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!Acquire(never, nullptr)) return false;
  Release();
  return true;
}

void WakeOnRelease(HWND wnd, UINT msg) {
  g_WakeWnd = wnd;
  g_WakeMsg = msg;
  g_WakeArmed = wnd != nullptr;
}

bool Acquire(HANDLE stopEvent, CThread* thread) {
  HANDLE sync = g_OmxLib.SynchEvent;
  HANDLE mutex = OwnerMutex();
  Wait wait;
  if (GetCurrentThreadId() == g_Interface) {
    g_InterfaceTimedOut = false;
    wait.bounded = true;
    wait.start = GetTickCount();
    wait.bound = timescale::Ms(g_InterfaceBoundMs);
  }
  if (!sync || !stopEvent || !mutex || !g_OmxLib.IsBound()) return false;
  LARGE_INTEGER start{};
  bool waited = false;
  DWORD r = WaitFirst(mutex, stopEvent, &start, &waited, wait);
  if (r == WAIT_TIMEOUT) {
    NoteLockWait(start);
    return GiveUp(wait);
  }
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
  r = WaitFirst(sync, stopEvent, &start, &waited, wait);
  if (waited) NoteLockWait(start);
  if (r == WAIT_OBJECT_0) {
    g_Holder = GetCurrentThreadId();
    return true;
  }
  ReleaseMutex(mutex);
  if (r == WAIT_TIMEOUT) return GiveUp(wait);
  return r == WAIT_OBJECT_0 + 1 ? StopWait(stopEvent, thread) : false;
}

void Release() {
  DWORD self = GetCurrentThreadId();
  g_Holder.compare_exchange_strong(self, 0);
  // Killed anywhere from here on, the thread leaves an abandoned mutex that
  // the next taker handles.
  if (g_OmxLib.SynchEvent) SetEvent(g_OmxLib.SynchEvent);
  ReleaseMutex(OwnerMutex());
  if (g_WakeArmed.exchange(false)) {
    const HWND wnd = g_WakeWnd;
    if (wnd) PostMessageA(wnd, g_WakeMsg, 0, 0);
  }
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

CInterfaceBound::CInterfaceBound(DWORD ms) : previous_(g_InterfaceBoundMs) {
  g_InterfaceBoundMs = ms;
}

CInterfaceBound::~CInterfaceBound() {
  g_InterfaceBoundMs = previous_;
}

}  // namespace librarylock
